#include "kr/noise/perlin_noise_3d.h"

#include "kr/base/error.h"
#include "kr/noise/improved_noise.h"
#include "kr/noise/perlin_lattice.h"
#include "kr/base/random.h"

namespace KR {
namespace {

using lattice::Blend;
using lattice::CosineWeight;
using lattice::FoldRun;
using lattice::Trunc;
using lattice::Value;

// The lattice of one octave.
struct Octave {
    uint32_t seed;
    uint32_t period_x;
    uint32_t period_y;
    uint32_t period_z;
};

// Lattice values of the N x N x N points starting at (x0, y0, z0), as v[z][y][x].
template <int N, bool kPeriodic>
inline void FillBlock(uint32_t x0, uint32_t y0, uint32_t z0, const Octave& o, float (&v)[N][N][N]) {
    uint32_t cx[N], cy[N], cz[N];
    FoldRun<N, kPeriodic>(x0, o.period_x, cx);
    FoldRun<N, kPeriodic>(y0, o.period_y, cy);
    FoldRun<N, kPeriodic>(z0, o.period_z, cz);
    for (int k = 0; k < N; ++k) {
        const uint32_t plane = cz[k] * 16411u + o.seed;
        for (int j = 0; j < N; ++j) {
            const uint32_t row = cy[j] * 131u + plane;
            for (int i = 0; i < N; ++i)
                v[k][j][i] = Value(cx[i] + row);
        }
    }
}

// Smoothed value at block position (i, j, k): corners, the edges around z and those across
// y and z, faces and centre, weighted 1/64, 1/32, 1/16 and 1/4 (together 1).
template <int N>
inline float Smooth(const float (&v)[N][N][N], int i, int j, int k) {
    const float corners = v[k - 1][j - 1][i - 1] + v[k - 1][j - 1][i + 1] + v[k - 1][j + 1][i - 1] +
                          v[k - 1][j + 1][i + 1] + v[k + 1][j - 1][i - 1] + v[k + 1][j - 1][i + 1] +
                          v[k + 1][j + 1][i - 1] + v[k + 1][j + 1][i + 1];
    const float edges = v[k][j - 1][i - 1] + v[k][j - 1][i + 1] + v[k][j + 1][i - 1] +
                        v[k][j + 1][i + 1] + v[k - 1][j - 1][i] + v[k - 1][j + 1][i] +
                        v[k + 1][j - 1][i] + v[k + 1][j + 1][i];
    const float faces = v[k][j][i - 1] + v[k][j][i + 1] + v[k][j - 1][i] + v[k][j + 1][i] +
                        v[k - 1][j][i] + v[k + 1][j][i];
    return corners / 64.0f + edges / 32.0f + faces / 16.0f + v[k][j][i] / 4.0f;
}

// Corner values c[z][y][x] of a cell: along z first, then y, then x.
inline float Interpolate(const float (&c)[2][2][2], float fx, float fy, float fz) {
    const float gz = CosineWeight(fz);
    const float i00 = Blend(c[0][0][0], c[1][0][0], gz);
    const float i01 = Blend(c[0][1][0], c[1][1][0], gz);
    const float i10 = Blend(c[0][0][1], c[1][0][1], gz);
    const float i11 = Blend(c[0][1][1], c[1][1][1], gz);
    const float gy = CosineWeight(fy);
    return Blend(Blend(i00, i01, gy), Blend(i10, i11, gy), CosineWeight(fx));
}

template <bool kPeriodic>
inline float Raw(float x, float y, float z, const Octave& o) {
    float v[1][1][1];
    FillBlock<1, kPeriodic>(Trunc(x), Trunc(y), Trunc(z), o, v);
    return v[0][0][0];
}

template <bool kPeriodic>
inline float Smoothed(float x, float y, float z, const Octave& o) {
    float v[3][3][3];
    FillBlock<3, kPeriodic>(static_cast<uint32_t>(Trunc(x)) - 1u,
                            static_cast<uint32_t>(Trunc(y)) - 1u,
                            static_cast<uint32_t>(Trunc(z)) - 1u, o, v);
    return Smooth(v, 1, 1, 1);
}

template <bool kPeriodic>
inline float Interpolated(float x, float y, float z, const Octave& o) {
    const int32_t x0 = Trunc(x), y0 = Trunc(y), z0 = Trunc(z);
    float v[2][2][2];
    FillBlock<2, kPeriodic>(x0, y0, z0, o, v);
    return Interpolate(v, x - x0, y - y0, z - z0);
}

// The eight smoothed corners share most of their neighbours: one 4 x 4 x 4 block serves all.
template <bool kPeriodic>
inline float InterpolatedSmoothed(float x, float y, float z, const Octave& o) {
    const int32_t x0 = Trunc(x), y0 = Trunc(y), z0 = Trunc(z);
    float v[4][4][4];
    FillBlock<4, kPeriodic>(static_cast<uint32_t>(x0) - 1u, static_cast<uint32_t>(y0) - 1u,
                            static_cast<uint32_t>(z0) - 1u, o, v);
    float c[2][2][2];
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 2; ++i)
                c[k][j][i] = Smooth(v, i + 1, j + 1, k + 1);
        }
    }
    return Interpolate(c, x - x0, y - y0, z - z0);
}

template <class NoiseFunction>
inline float Accumulate(const PerlinNoise3D& n, float x, float y, float z, uint32_t octaves,
                        NoiseFunction noise) {
    float sum = 0.0f, frequency = 1.0f, amplitude = 1.0f;
    Octave o{n.seed, n.rep_x, n.rep_y, n.rep_z};
    for (uint32_t i = 0; i < octaves; ++i) {
        if (n.repeat) {
            const Vec3i period = n.OctavePeriods(i);
            o.period_x = static_cast<uint32_t>(period.x);
            o.period_y = static_cast<uint32_t>(period.y);
            o.period_z = static_cast<uint32_t>(period.z);
        }
        const float v = noise(x * frequency, y * frequency, z * frequency, o);
        sum += Combine(n.combination, v, amplitude);
        frequency *= 2.0f;
        amplitude *= n.amplitude_ratio;
    }
    return sum;
}

template <bool kPeriodic>
float Dispatch(const PerlinNoise3D& n, float x, float y, float z, uint32_t octaves) {
    switch (n.noise) {
        case PerlinNoise3D::kInterpolated:
            return Accumulate(n, x, y, z, octaves,
                              [](float px, float py, float pz, const Octave& o) {
                                  return Interpolated<kPeriodic>(px, py, pz, o);
                              });
        case PerlinNoise3D::kSmoothed:
            return Accumulate(n, x, y, z, octaves,
                              [](float px, float py, float pz, const Octave& o) {
                                  return Smoothed<kPeriodic>(px, py, pz, o);
                              });
        case PerlinNoise3D::kInterpolatedSmoothed:
            return Accumulate(n, x, y, z, octaves,
                              [](float px, float py, float pz, const Octave& o) {
                                  return InterpolatedSmoothed<kPeriodic>(px, py, pz, o);
                              });
        default:
            return Accumulate(n, x, y, z, octaves,
                              [](float px, float py, float pz, const Octave& o) {
                                  return Raw<kPeriodic>(px, py, pz, o);
                              });
    }
}

}  // namespace

void PerlinNoise3D::SetSize(uint32_t sx, uint32_t sy, uint32_t sz, uint32_t frequency_divisor) {
    if (frequency_divisor == 0)
        throw ErrorParam("KR::PerlinNoise3D::SetSize", ": Frequency divisor is 0!", "divisor");
    size_x = sx;
    size_y = sy;
    size_z = sz;
    divisor = frequency_divisor;
    scale_x = static_cast<float>(1.0 / (sx / frequency_divisor));
    scale_y = static_cast<float>(1.0 / (sy / frequency_divisor));
    scale_z = static_cast<float>(1.0 / (sz / frequency_divisor));
}

void PerlinNoise3D::SetParams(uint32_t octave_count, float persistence, uint32_t repeat_flag) {
    octaves = octave_count;
    SetPersistence(persistence);
    repeat = repeat_flag != 0;
    if (!repeat) {
        rep_x = rep_y = rep_z = kNoRepeat;
        return;
    }
    rep_arr.reset();
    rep_count = 0;
    rep_arr = AllocateRepetitionTable<Vec3i>(octaves, "KR::PerlinNoise3D::SetParams",
                                             ": rep_arr=new Vec3i[octaves];");
    for (uint32_t o = 0; o < octaves; ++o)
        rep_arr[o] = OctavePeriods(o);
    rep_count = octaves;
}

Vec3i PerlinNoise3D::OctavePeriods(uint32_t octave) const {
    if (octave < rep_count) return rep_arr[octave];
    return {RepetitionPeriod(octave, size_x, divisor), RepetitionPeriod(octave, size_y, divisor),
            RepetitionPeriod(octave, size_z, divisor)};
}

void PerlinNoise3D::SetOffset() {
    offset_z = RandomFloat(0.0f, 256.0f);
    offset_y = RandomFloat(0.0f, 256.0f);
    offset_x = RandomFloat(0.0f, 256.0f);
}

void PerlinNoise3D::SetOffset(float x, float y, float z) {
    offset_x = x;
    offset_y = y;
    offset_z = z;
}

void PerlinNoise3D::CopyFrom(const PerlinNoise3D& other) {
    if (&other == this) return;
    SetOffset(other.offset_x, other.offset_y, other.offset_z);
    seed = other.seed;
    SetNoiseType(other.noise, other.combination);
    size_x = other.size_x;
    size_y = other.size_y;
    size_z = other.size_z;
    divisor = other.divisor;
    // The scale belongs with the sizes; without it the copy would sample another region.
    scale_x = other.scale_x;
    scale_y = other.scale_y;
    scale_z = other.scale_z;
    SetParams(other.octaves, 1.0f / other.amplitude_ratio, other.repeat);
    // 1 / (1 / ratio) can miss the ratio by one unit in the last place.
    amplitude_ratio = other.amplitude_ratio;
    rep_x = other.rep_x;
    rep_y = other.rep_y;
    rep_z = other.rep_z;
}

float PerlinNoise3D::Get(float x, float y, float z, uint32_t octave_count) const {
    x *= scale_x;
    y *= scale_y;
    z *= scale_z;
    const uint32_t count = octave_count != 0 ? octave_count : octaves;
    if (noise == kImproved) {
        return Accumulate(*this, x + offset_x, y + offset_y, z + offset_z, count,
                          [](float px, float py, float pz, const Octave&) {
                              return static_cast<float>(ImprovedNoise(px, py, pz));
                          });
    }
    const bool periodic = repeat || rep_x != kNoRepeat || rep_y != kNoRepeat || rep_z != kNoRepeat;
    return periodic ? Dispatch<true>(*this, x, y, z, count)
                    : Dispatch<false>(*this, x, y, z, count);
}

}  // namespace KR
