#include "kr/noise/perlin_noise_2d.h"

#include "kr/base/error.h"
#include "kr/noise/perlin_lattice.h"

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
};

// Lattice values of the N x N points starting at (x_first, y_first), as v[row][column].
template <int N, bool kPeriodic>
inline void FillBlock(uint32_t x_first, uint32_t y_first, const Octave& o, float (&v)[N][N]) {
    uint32_t cx[N], cy[N];
    FoldRun<N, kPeriodic>(x_first, o.period_x, cx);
    FoldRun<N, kPeriodic>(y_first, o.period_y, cy);
    for (int j = 0; j < N; ++j) {
        const uint32_t row = cy[j] * 57u + o.seed;
        for (int i = 0; i < N; ++i)
            v[j][i] = Value(cx[i] + row);
    }
}

// Smoothed value at block position (i, j) from its eight neighbours in the block.
template <int N>
inline float Smooth(const float (&v)[N][N], int i, int j) {
    const float corners = v[j - 1][i - 1] + v[j - 1][i + 1] + v[j + 1][i - 1] + v[j + 1][i + 1];
    const float sides = v[j][i - 1] + v[j][i + 1] + v[j - 1][i] + v[j + 1][i];
    return corners / 16.0f + sides / 8.0f + v[j][i] / 4.0f;
}

inline float Interpolate(float v00, float v10, float v01, float v11, float fx, float fy) {
    const float gx = CosineWeight(fx);
    return Blend(Blend(v00, v10, gx), Blend(v01, v11, gx), CosineWeight(fy));
}

template <bool kPeriodic>
inline float Raw(float x, float y, const Octave& o) {
    float v[1][1];
    FillBlock<1, kPeriodic>(Trunc(x), Trunc(y), o, v);
    return v[0][0];
}

template <bool kPeriodic>
inline float Smoothed(float x, float y, const Octave& o) {
    float v[3][3];
    FillBlock<3, kPeriodic>(static_cast<uint32_t>(Trunc(x)) - 1u,
                            static_cast<uint32_t>(Trunc(y)) - 1u, o, v);
    return Smooth(v, 1, 1);
}

template <bool kPeriodic>
inline float Interpolated(float x, float y, const Octave& o) {
    const int32_t x0 = Trunc(x), y0 = Trunc(y);
    float v[2][2];
    FillBlock<2, kPeriodic>(x0, y0, o, v);
    return Interpolate(v[0][0], v[0][1], v[1][0], v[1][1], x - x0, y - y0);
}

// The four smoothed corners share most of their neighbours: one 4 x 4 block serves all.
template <bool kPeriodic>
inline float InterpolatedSmoothed(float x, float y, const Octave& o) {
    const int32_t x0 = Trunc(x), y0 = Trunc(y);
    float v[4][4];
    FillBlock<4, kPeriodic>(static_cast<uint32_t>(x0) - 1u, static_cast<uint32_t>(y0) - 1u, o, v);
    return Interpolate(Smooth(v, 1, 1), Smooth(v, 2, 1), Smooth(v, 1, 2), Smooth(v, 2, 2), x - x0,
                       y - y0);
}

template <class NoiseFunction>
inline float Accumulate(const PerlinNoise2D& n, float x, float y, NoiseFunction noise) {
    float sum = 0.0f, frequency = 1.0f, amplitude = 1.0f;
    Octave o{n.seed, n.rep_x, n.rep_y};
    for (uint32_t i = 0; i < n.octaves; ++i) {
        if (n.repeat) {
            const Vec2i period = n.OctavePeriods(i);
            o.period_x = static_cast<uint32_t>(period.x);
            o.period_y = static_cast<uint32_t>(period.y);
        }
        sum += Combine(n.combination, noise(x * frequency, y * frequency, o), amplitude);
        frequency *= 2.0f;
        amplitude *= n.amplitude_ratio;
    }
    return sum;
}

template <bool kPeriodic>
float Dispatch(const PerlinNoise2D& n, float x, float y) {
    switch (n.noise) {
        case PerlinNoise2D::kInterpolated:
            return Accumulate(n, x, y, [](float px, float py, const Octave& o) {
                return Interpolated<kPeriodic>(px, py, o);
            });
        case PerlinNoise2D::kSmoothed:
            return Accumulate(n, x, y, [](float px, float py, const Octave& o) {
                return Smoothed<kPeriodic>(px, py, o);
            });
        case PerlinNoise2D::kInterpolatedSmoothed:
            return Accumulate(n, x, y, [](float px, float py, const Octave& o) {
                return InterpolatedSmoothed<kPeriodic>(px, py, o);
            });
        default:
            return Accumulate(n, x, y, [](float px, float py, const Octave& o) {
                return Raw<kPeriodic>(px, py, o);
            });
    }
}

}  // namespace

void PerlinNoise2D::SetSize(uint32_t sx, uint32_t sy, uint32_t frequency_divisor) {
    if (frequency_divisor == 0)
        throw ErrorParam("KR::PerlinNoise2D::SetSize", ": Frequency divisor is 0!", "divisor");
    size_x = sx;
    size_y = sy;
    divisor = frequency_divisor;
    scale_x = static_cast<float>(1.0 / (sx / frequency_divisor));
    scale_y = static_cast<float>(1.0 / (sy / frequency_divisor));
}

void PerlinNoise2D::SetParams(uint32_t octave_count, float persistence, uint32_t repeat_flag) {
    octaves = octave_count;
    SetPersistence(persistence);
    repeat = repeat_flag != 0;
    if (!repeat) {
        rep_x = rep_y = kNoRepeat;
        return;
    }
    rep_arr.reset();
    rep_count = 0;
    rep_arr = AllocateRepetitionTable<Vec2i>(octaves, "KR::PerlinNoise2D::SetParams",
                                             ": rep_arr=new Vec2i[octaves];");
    for (uint32_t o = 0; o < octaves; ++o)
        rep_arr[o] = {RepetitionPeriod(o, size_x, divisor), RepetitionPeriod(o, size_y, divisor)};
    rep_count = octaves;
}

Vec2i PerlinNoise2D::OctavePeriods(uint32_t octave) const {
    if (octave < rep_count) return rep_arr[octave];
    return {RepetitionPeriod(octave, size_x, divisor), RepetitionPeriod(octave, size_y, divisor)};
}

float PerlinNoise2D::Get(float x, float y) const {
    x *= scale_x;
    y *= scale_y;
    const bool periodic = repeat || rep_x != kNoRepeat || rep_y != kNoRepeat;
    return periodic ? Dispatch<true>(*this, x, y) : Dispatch<false>(*this, x, y);
}

}  // namespace KR
