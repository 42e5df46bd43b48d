#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "kr/base/error.h"
#include "kr/noise/improved_noise.h"
#include "kr/math/math_constants.h"
#include "kr/noise/perlin_noise_2d.h"
#include "kr/noise/perlin_noise_3d.h"
#include "kr/base/random.h"

namespace {

using KR::PerlinNoise2D;
using KR::PerlinNoise3D;

// The published improved noise as written (cells by truncation), branches and all.
double ReferenceImproved(double x, double y, double z) {
    const auto& p = KR::kImprovedNoisePermutation;
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    auto lerp = [](double t, double a, double b) { return a + t * (b - a); };
    auto grad = [](int hash, double x, double y, double z) {
        const int h = hash & 15;
        const double u = h < 8 ? x : y, v = h < 4 ? y : h == 12 || h == 14 ? x : z;
        return ((h & 1) == 0 ? u : -u) + ((h & 2) == 0 ? v : -v);
    };
    const int X = int(x) & 255, Y = int(y) & 255, Z = int(z) & 255;
    x -= int(x);
    y -= int(y);
    z -= int(z);
    const double u = fade(x), v = fade(y), w = fade(z);
    const int A = p[X] + Y, AA = p[A] + Z, AB = p[A + 1] + Z;
    const int B = p[X + 1] + Y, BA = p[B] + Z, BB = p[B + 1] + Z;
    return lerp(
        w,
        lerp(v, lerp(u, grad(p[AA], x, y, z), grad(p[BA], x - 1, y, z)),
             lerp(u, grad(p[AB], x, y - 1, z), grad(p[BB], x - 1, y - 1, z))),
        lerp(v, lerp(u, grad(p[AA + 1], x, y, z - 1), grad(p[BA + 1], x - 1, y, z - 1)),
             lerp(u, grad(p[AB + 1], x, y - 1, z - 1), grad(p[BB + 1], x - 1, y - 1, z - 1))));
}

// A literal transcription of the noise formulas, one lattice lookup at a time: the oracle
// the fast code must match bit for bit.
struct Oracle {
    uint32_t seed;
    uint32_t px, py, pz;

    static float Lattice(uint32_t n) {
        n = (n << 13) ^ n;
        const uint32_t m = ((n * n * 15731u + 789221u) * n + 1376312589u) & 0x7fffffffu;
        return static_cast<float>(1.0 - m / 1073741824.0);
    }
    static float Interp(float a, float b, float t) {
        const float g = (1.0f - std::cos(KR::kPi * t)) * 0.5f;
        return a * (1.0f - g) + b * g;
    }

    float Raw(int x, int y) const {
        return Lattice(uint32_t(x) % px + (uint32_t(y) % py) * 57u + seed);
    }
    float Smooth(int x, int y) const {
        const float corners =
            Raw(x - 1, y - 1) + Raw(x + 1, y - 1) + Raw(x - 1, y + 1) + Raw(x + 1, y + 1);
        const float sides = Raw(x - 1, y) + Raw(x + 1, y) + Raw(x, y - 1) + Raw(x, y + 1);
        return corners / 16.0f + sides / 8.0f + Raw(x, y) / 4.0f;
    }
    float Noise(int fn, float x, float y) const {
        const int x0 = int(x), y0 = int(y);
        const float fx = x - x0, fy = y - y0;
        auto l = [&](int i, int j) { return fn == 3 ? Smooth(i, j) : Raw(i, j); };
        if (fn == 1 || fn == 3) {
            const float a = Interp(l(x0, y0), l(x0 + 1, y0), fx);
            const float b = Interp(l(x0, y0 + 1), l(x0 + 1, y0 + 1), fx);
            return Interp(a, b, fy);
        }
        return fn == 2 ? Smooth(x0, y0) : Raw(x0, y0);
    }

    float Raw(int x, int y, int z) const {
        return Lattice(uint32_t(x) % px + (uint32_t(y) % py) * 131u + (uint32_t(z) % pz) * 16411u +
                       seed);
    }
    float Smooth(int x, int y, int z) const {
        float corners = 0.0f, edges = 0.0f;
        for (int dz : {-1, 1}) {
            for (int dy : {-1, 1}) {
                for (int dx : {-1, 1})
                    corners += Raw(x + dx, y + dy, z + dz);
            }
        }
        for (int dy : {-1, 1}) {
            for (int dx : {-1, 1})
                edges += Raw(x + dx, y + dy, z);
        }
        for (int dz : {-1, 1}) {
            for (int dy : {-1, 1})
                edges += Raw(x, y + dy, z + dz);
        }
        const float faces = Raw(x - 1, y, z) + Raw(x + 1, y, z) + Raw(x, y - 1, z) +
                            Raw(x, y + 1, z) + Raw(x, y, z - 1) + Raw(x, y, z + 1);
        return corners / 64.0f + edges / 32.0f + faces / 16.0f + Raw(x, y, z) / 4.0f;
    }
    float Noise(int fn, float x, float y, float z) const {
        const int x0 = int(x), y0 = int(y), z0 = int(z);
        auto l = [&](int i, int j, int k) { return fn == 3 ? Smooth(i, j, k) : Raw(i, j, k); };
        if (fn == 1 || fn == 3) {
            const float fz = z - z0;
            const float a = Interp(l(x0, y0, z0), l(x0, y0, z0 + 1), fz);
            const float b = Interp(l(x0, y0 + 1, z0), l(x0, y0 + 1, z0 + 1), fz);
            const float c = Interp(l(x0 + 1, y0, z0), l(x0 + 1, y0, z0 + 1), fz);
            const float d = Interp(l(x0 + 1, y0 + 1, z0), l(x0 + 1, y0 + 1, z0 + 1), fz);
            const float e = Interp(a, b, y - y0), f = Interp(c, d, y - y0);
            return Interp(e, f, x - x0);
        }
        if (fn == 4) return float(ReferenceImproved(x, y, z));
        return fn == 2 ? Smooth(x0, y0, z0) : Raw(x0, y0, z0);
    }
};

uint32_t Period(double f, uint32_t size, uint32_t divisor) {
    return uint32_t(f * size / ((size - 1.0) / divisor));
}

float Combined(int combination, float v, float a) {
    if (combination == 1) return std::fabs(v) * a;
    if (combination == 2) return (0.5f * std::cos((v + 1.0f) * KR::kPi) + 0.5f) * a;
    return v * a;
}

float OracleGet(const PerlinNoise2D& n, float x, float y) {
    x *= n.scale_x;
    y *= n.scale_y;
    float sum = 0.0f, frequency = 1.0f, amplitude = 1.0f;
    Oracle o{n.seed, n.rep_x, n.rep_y, 1};
    for (uint32_t i = 0; i < n.octaves; ++i) {
        if (n.repeat == 1) {
            o.px = Period(std::ldexp(1.0, i), n.size_x, n.divisor);
            o.py = Period(std::ldexp(1.0, i), n.size_y, n.divisor);
        }
        sum += Combined(n.combination, o.Noise(n.noise, x * frequency, y * frequency), amplitude);
        frequency *= 2.0f;
        amplitude *= n.amplitude_ratio;
    }
    return sum;
}

float OracleGet(const PerlinNoise3D& n, float x, float y, float z, uint32_t octaves) {
    x *= n.scale_x;
    y *= n.scale_y;
    z *= n.scale_z;
    if (n.noise == 4) {
        x += n.offset_x;
        y += n.offset_y;
        z += n.offset_z;
    }
    float sum = 0.0f, frequency = 1.0f, amplitude = 1.0f;
    Oracle o{n.seed, n.rep_x, n.rep_y, n.rep_z};
    for (uint32_t i = 0; i < octaves; ++i) {
        if (n.repeat == 1) {
            o.px = Period(std::ldexp(1.0, i), n.size_x, n.divisor);
            o.py = Period(std::ldexp(1.0, i), n.size_y, n.divisor);
            o.pz = Period(std::ldexp(1.0, i), n.size_z, n.divisor);
        }
        const float v = o.Noise(n.noise, x * frequency, y * frequency, z * frequency);
        sum += Combined(n.combination, v, amplitude);
        frequency *= 2.0f;
        amplitude *= n.amplitude_ratio;
    }
    return sum;
}

// Mostly where the program samples, some negative (folding wraps there) and some far out.
float Coordinate(std::mt19937& gen) {
    const int kind = gen() % 8;
    const float range = kind == 0 ? 2.0e5f : 300.0f;
    return std::uniform_real_distribution<float>(kind == 1 ? -range : 0.0f, range)(gen);
}

TEST(PerlinNoise, FastPathsMatchTheLiteralFormulasBitForBit) {
    std::mt19937 gen(2024);
    for (int fn = 0; fn <= 3; ++fn) {
        for (int combination = 0; combination <= 2; ++combination) {
            for (uint32_t repeat : {0u, 1u}) {
                PerlinNoise2D n;
                n.SetSeed(int(gen() >> 1));
                n.SetSize(100, 70, 4);
                n.SetParams(5, 1.7f, repeat);
                n.SetNoiseType(fn, combination);
                int mismatches = 0;
                for (int s = 0; s < 400; ++s) {
                    const float x = Coordinate(gen), y = Coordinate(gen);
                    mismatches += n.Get(x, y) != OracleGet(n, x, y);
                }
                EXPECT_EQ(mismatches, 0)
                    << "2D fn " << fn << " comb " << combination << " repeat " << repeat;
            }
        }
    }
    for (int fn = 0; fn <= 4; ++fn) {
        for (uint32_t repeat : {0u, 1u}) {
            PerlinNoise3D n;
            n.SetSeed(int(gen() >> 1));
            n.SetSize(128, 96, 64, 8);
            n.SetParams(4, 1.5f, repeat);
            n.SetNoiseType(fn, fn == 4 ? 2 : int(repeat));
            n.SetOffset(17.5f, 200.25f, 3.0f);
            int mismatches = 0;
            for (int s = 0; s < 300; ++s) {
                const float x = Coordinate(gen), y = Coordinate(gen), z = Coordinate(gen);
                // More octaves than the table holds must keep the same period rule.
                const uint32_t octaves = s % 3 == 0 ? 6 : 0;
                mismatches +=
                    n.Get(x, y, z, octaves) != OracleGet(n, x, y, z, octaves ? octaves : n.octaves);
            }
            EXPECT_EQ(mismatches, 0) << "3D fn " << fn << " repeat " << repeat;
        }
    }
}

TEST(PerlinNoise, LatticeValuesAndInterpolationAtLatticePoints) {
    PerlinNoise2D raw;
    raw.SetNoiseType(PerlinNoise2D::kRaw, 0);
    raw.SetParams(1, 2.0f, 0);
    EXPECT_FLOAT_EQ(raw.Get(0.0f, 0.0f), float(1.0 - 1376312589 / 1073741824.0));
    EXPECT_NEAR(raw.Get(0.9f, 0.9f), -0.28179f, 1e-5f);  // truncation: still lattice (0, 0)

    PerlinNoise2D interpolated, smooth, smooth_interpolated;
    interpolated.SetParams(1, 2.0f, 0);
    smooth.SetParams(1, 2.0f, 0);
    smooth.SetNoiseType(PerlinNoise2D::kSmoothed, 0);
    smooth_interpolated.SetParams(1, 2.0f, 0);
    smooth_interpolated.SetNoiseType(PerlinNoise2D::kInterpolatedSmoothed, 0);
    PerlinNoise3D raw3, interpolated3;
    raw3.SetNoiseType(PerlinNoise3D::kRaw, 0);
    for (PerlinNoise3D* n : {&raw3, &interpolated3}) {
        n->SetSeed(99);
        n->SetParams(1, 2.0f, 0);
    }
    for (int i = 0; i < 50; ++i) {
        const float x = float(i * 7 % 23), y = float(i * 5 % 19), z = float(i % 11);
        EXPECT_EQ(interpolated.Get(x, y), raw.Get(x, y));
        EXPECT_EQ(smooth_interpolated.Get(x, y), smooth.Get(x, y));
        EXPECT_EQ(interpolated3.Get(x, y, z), raw3.Get(x, y, z));
        const float v = raw.Get(x + 0.5f, y);
        EXPECT_TRUE(v > -1.0f && v <= 1.0f);
    }
}

TEST(PerlinNoise, ParametersPeriodsAndExtremes) {
    PerlinNoise2D n;
    EXPECT_EQ(n.seed, 0u);
    EXPECT_EQ(n.octaves, 3u);
    EXPECT_EQ(n.amplitude_ratio, 2.0f);
    EXPECT_EQ(n.rep_x, 0x7fffffffu);
    EXPECT_EQ(n.noise, PerlinNoise2D::kInterpolated);
    EXPECT_EQ(n.rep_arr, nullptr);

    n.SetSize(100, 50, 4);
    EXPECT_EQ(n.scale_x, 0.04f);
    EXPECT_EQ(n.scale_y, 1.0f / 12.0f);  // 50 / 4 is the integer 12
    n.SetParams(6, 2.0f, 1);
    const int expected_x[] = {4, 8, 16, 32, 64, 129};
    for (int o = 0; o < 6; ++o)
        EXPECT_EQ(n.rep_arr[o].x, expected_x[o]) << o;
    EXPECT_EQ(n.rep_arr[0].y, 4);
    n.SetParams(5, 2.0f, 0);
    EXPECT_EQ(n.rep_y, 0x7fffffffu);
    EXPECT_EQ(n.GetMax(), 1.9375f);
    EXPECT_EQ(n.GetMin(), -1.9375f);
    for (int combination : {1, 2}) {
        n.SetCombination(combination);
        EXPECT_EQ(n.GetMax(), 1.9375f);
        EXPECT_EQ(n.GetMin(), 0.0f);
    }

    // A region of size 1 has no finite period: no repetition instead of a division by 0.
    PerlinNoise3D unit;
    unit.SetParams(2, 2.0f, 1);
    EXPECT_EQ(unit.rep_arr[1].z, 0x7fffffff);
    EXPECT_TRUE(std::isfinite(unit.Get(3.5f, 2.5f, 1.5f)));

    KR::RandomSeed(77);
    const float seed_draw = KR::RandomFloat(0.0f, 2147483648.0f);
    const float z = KR::RandomFloat(0, 256), y = KR::RandomFloat(0, 256);
    const float x = KR::RandomFloat(0, 256);
    KR::RandomSeed(77);
    unit.SetSeed(-1);
    unit.SetOffset();
    EXPECT_EQ(unit.seed, uint32_t(seed_draw));
    EXPECT_EQ(unit.offset_x, x);
    EXPECT_EQ(unit.offset_y, y);
    EXPECT_EQ(unit.offset_z, z);
    unit.SetSeed(123);
    EXPECT_EQ(unit.seed, 123u);
}

TEST(PerlinNoise, RepeatTilesTheRegionAndCopiesStandAlone) {
    // Size 64 with divisor 4: scale 1/16 is exact, periods 4, 8, 16, 32 tile after 64.
    PerlinNoise2D plane;
    plane.SetSize(64, 64, 4);
    plane.SetParams(4, 2.0f, 1);
    PerlinNoise3D source;
    source.SetSeed(5);
    source.SetSize(64, 64, 64, 4);
    source.SetParams(4, 1.5f, 1);
    for (int fn : {1, 3}) {
        plane.SetNoiseType(fn, 0);
        source.SetNoiseType(fn, 1);
        for (float x = 0.25f; x < 64.0f; x += 7.75f) {
            const float y = 63.0f - x * 0.5f;
            EXPECT_EQ(plane.Get(x + 64.0f, y), plane.Get(x, y));
            EXPECT_EQ(plane.Get(x, y + 128.0f), plane.Get(x, y));
            EXPECT_EQ(source.Get(x, y + 64.0f, x), source.Get(x, y, x));
            EXPECT_EQ(source.Get(x, y, x + 64.0f), source.Get(x, y, x));
        }
    }

    auto copy = std::make_unique<PerlinNoise3D>();
    {
        PerlinNoise3D scaled;
        scaled.SetSeed(8);
        scaled.SetSize(100, 100, 30, 4);
        scaled.SetParams(5, 1.5f, 1);
        scaled.SetNoiseType(PerlinNoise3D::kInterpolatedSmoothed, 2);
        copy->CopyFrom(scaled);
        for (float t = 0.0f; t < 90.0f; t += 4.5f)
            EXPECT_EQ(copy->Get(t, 2 * t, 90 - t), scaled.Get(t, 2 * t, 90 - t));
        EXPECT_EQ(copy->amplitude_ratio, scaled.amplitude_ratio);
        EXPECT_NE(copy->rep_arr.get(), scaled.rep_arr.get());
    }
    EXPECT_TRUE(std::isfinite(copy->Get(10.0f, 20.0f, 5.0f)));  // its own table outlives
}

TEST(PerlinNoise, FailuresRaiseTheProgramsErrors) {
    PerlinNoise2D plane;
    try {
        plane.SetParams(0xFFFFFFFFu, 2.0f, 1);
        ADD_FAILURE() << "no error";
    } catch (const KR::ErrorMem& e) {
        EXPECT_EQ(e.Message(), "KR::PerlinNoise2D::SetParams: rep_arr=new Vec2i[octaves];");
    }
    PerlinNoise3D space;
    try {
        space.SetParams(0xFFFFFFFFu, 2.0f, 1);
        ADD_FAILURE() << "no error";
    } catch (const KR::ErrorMem& e) {
        EXPECT_EQ(e.Message(), "KR::PerlinNoise3D::SetParams: rep_arr=new Vec3i[octaves];");
    }
    EXPECT_THROW(plane.SetSize(10, 10, 0), KR::ErrorParam);
    EXPECT_THROW(space.SetSize(10, 10, 10, 0), KR::ErrorParam);
}

TEST(ImprovedNoise, ReferencePermutationAndKnownValues) {
    const auto& p = KR::kImprovedNoisePermutation;
    const int head[] = {151, 160, 137, 91, 90, 15};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p[i], head[i]);
    EXPECT_EQ(p[255], 180);
    bool seen[256] = {};
    for (int i = 0; i < 256; ++i) {
        EXPECT_FALSE(seen[p[i]]) << "repeated " << int(p[i]);
        seen[p[i]] = true;
        EXPECT_EQ(p[i + 256], p[i]);
    }

    // The value the reference algorithm is known to give at this point.
    EXPECT_NEAR(KR::ImprovedNoise(3.14, 42, 7), 0.13691995878400012, 1e-15);
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> d(0.0, 300.0);
    for (int i = 0; i < 2000; ++i) {
        // Multiples of 1/1024, so shifting by the period 256 keeps the fractions exact.
        const double x = std::round(d(gen) * 1024) / 1024, y = d(gen), z = d(gen);
        EXPECT_EQ(KR::ImprovedNoise(std::trunc(x), std::trunc(y), std::trunc(z)), 0.0);
        EXPECT_EQ(KR::ImprovedNoise(x, y, z), ReferenceImproved(x, y, z));
        EXPECT_EQ(KR::ImprovedNoise(-x, y, -z), ReferenceImproved(-x, y, -z));
        EXPECT_LE(std::fabs(KR::ImprovedNoise(x, y, z)), 1.0);
        EXPECT_EQ(KR::ImprovedNoise(x + 256, y, z), KR::ImprovedNoise(x, y, z));
    }
}

}  // namespace
