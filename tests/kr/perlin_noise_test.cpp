// The lattice noise (2D and 3D) and the improved noise: known values bit for bit, the
// parameters the program derives, repetition and the errors.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/noise/improved_noise.h"
#include "kr/noise/perlin_noise_2d.h"
#include "kr/noise/perlin_noise_3d.h"

namespace {

using KR::PerlinNoise2D;
using KR::PerlinNoise3D;

// Values worked out by a literal transcription of the formulas (one lattice lookup at a
// time), bit for bit: every noise function (raw, interpolated, smoothed, both; in 3D also the
// improved noise) without and with repetition, each rule of combining the octaves, at points
// inside the region, on its far edge, below zero (truncation, not floor) and far out.
TEST(PerlinNoise, KnownValuesOfEveryNoiseFunction) {
    struct Case {
        int fn, combination, repeat;
        float at[5];
    };
    // clang-format off
    // Seed 12345, 100 x 70 / 4, 5 octaves of ratio 1.7.
    const float points2[5][2] = {{3.7f, 12.2f}, {61.3f, 47.9f}, {99.5f, 69.25f}, {-41.3f, 77.9f}, {150321.5f, -23.75f}};
    const Case plane[] = {
        {0, 0, 0, {-0.595307887f, 0.252726078f, 0.255529404f, 0.682905376f, 0.38053143f}},
        {1, 2, 1, {0.914455831f, 0.90000391f, 1.80620706f, 0.405194163f, 1.12370861f}},
        {2, 2, 0, {0.267817348f, 0.136469364f, 0.104603931f, 0.0537833124f, 0.176684588f}},
        {3, 1, 1, {0.156532437f, 0.605686486f, 0.479654104f, 0.187413812f, 0.665023088f}},
    };
    // Seed 777, 128 x 96 x 64 / 8, 4 octaves of ratio 1.5, offset (17.5, 200.25, 3); the last
    // value takes 6 octaves, more than the repetition table holds, at the third point.
    const float points3[4][3] = {{3.7f, 12.2f, 5.5f}, {127.5f, 95.25f, 63.75f}, {-41.3f, 77.9f, -8.25f}, {150321.5f, -23.75f, 91.0f}};
    const Case space[] = {
        {0, 1, 1, {1.15846133f, 1.49878609f, 0.759940326f, 1.41229928f, 0.904966772f}},
        {1, 2, 1, {0.723868489f, 0.539295793f, 1.08305788f, 1.08482349f, 1.25127387f}},
        {2, 2, 0, {0.134941816f, 0.119753405f, 0.125305444f, 0.132597744f, 0.145415545f}},
        {3, 0, 0, {-0.212218136f, -0.161779195f, -0.0873782635f, -0.0626257583f, -0.127254382f}},
        {4, 2, 1, {0.257600754f, 0.295258105f, 0.126779765f, 0.413853526f, 0.132724538f}},
    };
    // clang-format on
    for (const Case& c : plane) {
        PerlinNoise2D n;
        n.SetSeed(12345);
        n.SetSize(100, 70, 4);
        n.SetParams(5, 1.7f, c.repeat);
        n.SetNoiseType(c.fn, c.combination);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(n.Get(points2[k][0], points2[k][1]), c.at[k]) << "2D " << c.fn << " " << k;
    }
    for (const Case& c : space) {
        PerlinNoise3D n;
        n.SetSeed(777);
        n.SetSize(128, 96, 64, 8);
        n.SetParams(4, 1.5f, c.repeat);
        n.SetNoiseType(c.fn, c.combination);
        n.SetOffset(17.5f, 200.25f, 3.0f);
        for (int k = 0; k < 5; ++k) {
            const float* p = points3[k % 4 + k / 4 * 2];
            EXPECT_EQ(n.Get(p[0], p[1], p[2], k == 4 ? 6 : 0), c.at[k])
                << "3D " << c.fn << " " << k;
        }
    }
}

TEST(PerlinNoise, ParametersPeriodsExtremesAndErrors) {
    PerlinNoise2D n;
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

    // A seed of -1 and the offsets are drawn in this order.
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

    auto message = [](auto call) {
        try {
            call();
        } catch (const KR::ErrorMem& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { n.SetParams(0xFFFFFFFFu, 2.0f, 1); }),
              "KR::PerlinNoise2D::SetParams: rep_arr=new Vec2i[octaves];");
    EXPECT_EQ(message([&] { unit.SetParams(0xFFFFFFFFu, 2.0f, 1); }),
              "KR::PerlinNoise3D::SetParams: rep_arr=new Vec3i[octaves];");
    EXPECT_THROW(n.SetSize(10, 10, 0), KR::ErrorParam);
    EXPECT_THROW(unit.SetSize(10, 10, 10, 0), KR::ErrorParam);
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
        EXPECT_NE(copy->rep_arr.get(), scaled.rep_arr.get());
    }
    EXPECT_TRUE(std::isfinite(copy->Get(10.0f, 20.0f, 5.0f)));  // its own table outlives
}

TEST(ImprovedNoise, ReferencePermutationKnownValueZerosAndPeriod) {
    const auto& p = KR::kImprovedNoisePermutation;
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
    for (int i = 0; i < 200; ++i) {
        // Multiples of 1/1024, so shifting by the period 256 keeps the fractions exact.
        const double x = std::round(d(gen) * 1024) / 1024, y = d(gen), z = d(gen);
        EXPECT_EQ(KR::ImprovedNoise(std::trunc(x), std::trunc(y), std::trunc(z)), 0.0);
        EXPECT_EQ(KR::ImprovedNoise(x + 256, y, z), KR::ImprovedNoise(x, y, z));
    }
}

}  // namespace
