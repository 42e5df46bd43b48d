// The lattice and improved noise, and the procedural textures made from them.

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/error_text.h"
#include "kr/noise/improved_noise.h"
#include "kr/noise/perlin_noise_2d.h"
#include "kr/noise/perlin_noise_3d.h"
#include "kr/procedural/procedural_textures.h"
#include "support/console_capture.h"

namespace {

using KR::PerlinNoise2D;
using KR::PerlinNoise3D;
using KR::ProceduralImage;

// Bit for bit as a literal transcription of the formulas gives them, also below zero and far out.
TEST(PerlinNoise, KnownValuesOfEveryNoiseFunction) {
    struct Case {
        int fn, combination, repeat;
        float at[5];
    };
    // clang-format off
    const float points2[5][2] = {{3.7f, 12.2f}, {61.3f, 47.9f}, {99.5f, 69.25f}, {-41.3f, 77.9f}, {150321.5f, -23.75f}};
    const Case plane[] = {
        {0, 0, 0, {-0.595307887f, 0.252726078f, 0.255529404f, 0.682905376f, 0.38053143f}},
        {1, 2, 1, {0.914455831f, 0.90000391f, 1.80620706f, 0.405194163f, 1.12370861f}},
        {2, 2, 0, {0.267817348f, 0.136469364f, 0.104603931f, 0.0537833124f, 0.176684588f}},
        {3, 1, 1, {0.156532437f, 0.605686486f, 0.479654104f, 0.187413812f, 0.665023088f}},
    };
    // The last value takes 6 octaves, more than the repetition table holds.
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

TEST(PerlinNoise, ParametersPeriodsTilingCopiesExtremesAndErrors) {
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
    for (int combination : {0, 1, 2}) {
        n.SetCombination(combination);
        EXPECT_EQ(std::pair(n.GetMin(), n.GetMax()),
                  std::pair(combination ? 0.0f : -1.9375f, 1.9375f));
    }

    // A region of size 1 has no finite period: no repetition instead of a division by 0.
    PerlinNoise3D unit;
    unit.SetParams(2, 2.0f, 1);
    EXPECT_EQ(unit.rep_arr[1].z, 0x7fffffff);
    EXPECT_TRUE(std::isfinite(unit.Get(3.5f, 2.5f, 1.5f)));

    // A seed of -1 and the offsets are drawn in this order.
    KR::RandomSeed(77);
    const float seed_draw = KR::RandomFloat(0.0f, 2147483648.0f), z = KR::RandomFloat(0, 256),
                y = KR::RandomFloat(0, 256), x = KR::RandomFloat(0, 256);
    KR::RandomSeed(77);
    unit.SetSeed(-1);
    unit.SetOffset();
    EXPECT_EQ(unit.seed, uint32_t(seed_draw));
    EXPECT_EQ(std::tuple(unit.offset_x, unit.offset_y, unit.offset_z), std::tuple(x, y, z));

    EXPECT_EQ(QorTest::ErrorOf<KR::ErrorMem>([&] { n.SetParams(0xFFFFFFFFu, 2.0f, 1); }),
              "KR::PerlinNoise2D::SetParams: rep_arr=new Vec2i[octaves];");
    EXPECT_EQ(QorTest::ErrorOf<KR::ErrorMem>([&] { unit.SetParams(0xFFFFFFFFu, 2.0f, 1); }),
              "KR::PerlinNoise3D::SetParams: rep_arr=new Vec3i[octaves];");
    EXPECT_THROW(n.SetSize(10, 10, 0), KR::ErrorParam);
    EXPECT_THROW(unit.SetSize(10, 10, 10, 0), KR::ErrorParam);
    PerlinNoise3D copy, source;
    // Size 64 with divisor 4: scale 1/16 is exact, periods 4, 8, 16, 32 tile after 64.
    source.SetSeed(5);
    source.SetSize(64, 64, 64, 4);
    source.SetParams(4, 1.5f, 1);
    for (int fn : {1, 3}) {
        source.SetNoiseType(fn, 1);
        for (float x = 0.25f; x < 64.0f; x += 7.75f) {
            const float y = 63.0f - x * 0.5f, v = source.Get(x, y, x);
            EXPECT_EQ(source.Get(x + 64.0f, y, x), v);
            EXPECT_EQ(source.Get(x, y + 64.0f, x), v);
            EXPECT_EQ(source.Get(x, y, x + 128.0f), v);
        }
    }
    copy.CopyFrom(source);
    for (float t = 0.0f; t < 90.0f; t += 4.5f)
        EXPECT_EQ(copy.Get(t, 2 * t, 90 - t), source.Get(t, 2 * t, 90 - t));
    EXPECT_NE(copy.rep_arr.get(), source.rep_arr.get());  // its own table
}

TEST(ImprovedNoise, ReferencePermutationKnownValueZerosAndPeriod) {
    const auto& p = KR::kImprovedNoisePermutation;
    bool seen[256] = {};
    for (int i = 0; i < 256; ++i) {
        EXPECT_FALSE(seen[p[i]]) << "repeated " << int(p[i]);
        seen[p[i]] = true;
        EXPECT_EQ(p[i + 256], p[i]);
    }
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

bool SameBytes(const ProceduralImage& a, const ProceduralImage& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           std::memcmp(a.data.get(), b.data.get(), a.bytes()) == 0;
}

std::array<ProceduralImage, 5> MakeAll(int seed, unsigned threads) {
    KR::RandomSeed(seed);
    return {KR::CreateNoiseMap1D(128, 200, 255, false),  // in order: a braced list
            KR::CreateTerrainDetailMap(48, 150, 255, false, threads),
            KR::CreateWaterWaveNormalMap(16, 12, false, threads),
            KR::CreateSkyBoxClouds(20, 0.6f, 0.3f, false, threads),
            KR::CreateSkyBoxStars(16, 0.5f, false)};
}

TEST(ProceduralTextures, GreyMapsSpanTheirByteRangeAndImpossibleSizesAreRefused) {
    KR::RandomSeed(11);
    const ProceduralImage band = KR::CreateNoiseMap1D(512, 200, 255, false);
    const ProceduralImage detail = KR::CreateTerrainDetailMap(64, 150, 255, false, 1);
    ASSERT_EQ(band.width * band.height * band.depth, 512u);
    ASSERT_EQ(detail.width * detail.height, 64u * 64);
    // Grey and opaque; only the detail map is stretched over its own extremes to its low end.
    for (auto [image, low] : {std::pair{&band, 200}, {&detail, 150}}) {
        int lowest = 255;
        for (size_t i = 0; i < image->texels(); ++i) {
            const uint8_t* t = &image->data[i * 4];
            ASSERT_TRUE(t[0] >= low && t[0] == t[1] && t[0] == t[2] && t[3] == 255) << i;
            lowest = std::min<int>(lowest, t[0]);
        }
        EXPECT_TRUE(image == &band || lowest == low) << lowest;
    }
    // One texel becomes low; tiny and empty sizes must not sample at an infinite scale.
    EXPECT_EQ(KR::CreateTerrainDetailMap(1, 150, 255, false, 1).data[0], 150);
    EXPECT_EQ(KR::CreateNoiseMap1D(5, 0, 255, false).width, 5u);
    EXPECT_EQ(KR::CreateWaterWaveNormalMap(4, 2, false, 1).bytes(), 4u * 4 * 2 * 4);
    EXPECT_EQ(KR::CreateSkyBoxClouds(0, 0.6f, 0.3f, false, 1).bytes(), 0u);
    EXPECT_EQ(KR::CreateSkyBoxClouds(1, 0.6f, 0.3f, false, 1).bytes(), 6u * 4);
    const uint32_t huge = 0xFFFFFFFFu;
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { KR::CreateTerrainDetailMap(huge, 0, 255, false, 1); }, "KR::CreateTerrainDetailMap"},
        {[&] { KR::CreateWaterWaveNormalMap(huge, huge, false, 1); },
         "KR::CreateWaterWaveNormalMap"},
        {[&] { KR::CreateSkyBoxClouds(huge, 0.6f, 0.3f, false, 1); }, "KR::CreateSkyBoxClouds"},
        {[&] { KR::CreateSkyBoxStars(huge, 0.5f, false); }, "CreateSkyBoxStars()"}};
    for (const auto& [make, place] : cases)
        EXPECT_EQ(QorTest::ErrorOf<KR::ErrorMem>(make, true),
                  place + ": Not enough memory!\n\nMemory block: 4294967295 bytes");
}

TEST(ProceduralTextures, SeedDecidesEveryByteAndThreadsChangeNone) {
    const auto one = MakeAll(5, 1);
    const uint32_t after_one = KR::GetRandomState();
    const auto other = MakeAll(6, 1);
    for (unsigned threads : {1u, 2u, 3u}) {
        const auto again = MakeAll(5, threads);
        // The seeds come from the calling thread, so the sequence goes on the same way.
        EXPECT_EQ(KR::GetRandomState(), after_one) << threads;
        for (size_t i = 0; i < one.size(); ++i) {
            EXPECT_TRUE(SameBytes(one[i], again[i])) << "generator " << i << ", " << threads;
            EXPECT_FALSE(SameBytes(one[i], other[i])) << "generator " << i;
        }
    }
}

// Centre, right, down, up and left heights: the normal's bytes and the centre height's.
std::array<int, 4> Texel(float c, float r, float d, float u, float l) {
    uint8_t t[4];
    KR::WaterWaveTexel(c, r, d, u, l, t);
    return {t[0], t[1], t[2], t[3]};
}

TEST(ProceduralTextures, WaterNormalFollowsTheSlopeAndWrapsWithinEachFrame) {
    const int alpha = uint8_t((0.2f / 4.0f + 0.5f) * 255.0f);
    EXPECT_EQ(Texel(0.2f, 0.2f, 0.2f, 0.2f, 0.2f), (std::array{127, 127, 255, alpha}));
    // Rising to the right (and down): the normal leans left (and up).
    const auto right = Texel(0.0f, 0.5f, 0.0f, 0.0f, -0.5f), down = Texel(0, 0, 0.5f, -0.5f, 0);
    EXPECT_TRUE(right[0] < 127 && right[1] == 127 && down[0] == 127 && down[1] < 127);
    // A peak: its four faces tilt apart and cancel sideways, so the normal stays upright.
    EXPECT_EQ(Texel(1.0f, 0.0f, 0.0f, 0.0f, 0.0f), (std::array{127, 127, 255, 191}));

    // The map wraps within each frame; the same noise, rebuilt from the same seed, gives heights.
    const uint32_t n = 8, frames = 8;
    KR::RandomSeed(9);
    const ProceduralImage map = KR::CreateWaterWaveNormalMap(n, frames, false, 2);
    KR::RandomSeed(9);
    PerlinNoise3D noise;
    noise.SetSeed(-1);
    noise.SetSize(n, n, frames, 8);
    noise.SetParams(4, 2.0f, 1);
    noise.SetNoiseType(PerlinNoise3D::kInterpolated, 0);
    auto h = [&](uint32_t x, uint32_t y, uint32_t k) {
        return noise.Get(float(x % n), float(y % n), float(k));
    };
    for (uint32_t k : {0u, frames - 1})
        for (uint32_t y : {0u, 3u, n - 1})
            for (uint32_t x : {0u, 5u, n - 1}) {
                uint8_t want[4];
                KR::WaterWaveTexel(h(x, y, k), h(x + 1, y, k), h(x, y + 1, k), h(x, y + n - 1, k),
                                   h(x + n - 1, y, k), want);
                EXPECT_EQ(std::memcmp(&map.data[((k * n + y) * n + x) * 4], want, 4), 0)
                    << x << "," << y << "," << k;
            }
}

TEST(ProceduralTextures, CloudNormalsAndDensityAndTheStarsDrawOrder) {
    KR::RandomSeed(4);
    const ProceduralImage none = KR::CreateSkyBoxClouds(16, 0.0f, 0.3f, false, 2);
    const ProceduralImage full = KR::CreateSkyBoxClouds(16, 1.0f, 0.3f, false, 2);
    ASSERT_EQ(none.depth, 6u);
    int dense = 0;
    for (size_t i = 0; i < none.texels(); ++i) {
        EXPECT_EQ(none.data[i * 4 + 3], 0);
        dense += full.data[i * 4 + 3] == 255;
        float len2 = 0.0f;
        for (int c = 0; c < 3; ++c)
            len2 += std::pow(full.data[i * 4 + c] / 255.0f * 2.0f - 1.0f, 2.0f);
        ASSERT_NEAR(std::sqrt(len2), 1.0f, 0.02f);
    }
    EXPECT_GT(dense, 0);  // values reach 2 with full clouds

    PerlinNoise3D n1, n3;
    n1.SetOffset();
    n1.SetParams(6, 1.5f, 0);
    n1.SetNoiseType(PerlinNoise3D::kImproved, 2);
    n3.CopyFrom(n1);
    n3.SetPersistence(3.0f);
    for (float t : {0.0f, 1.25f, 7.5f, 12.7f, 14.99f}) {
        float a, b;
        KR::SkyBoxCloudPair(n1, n3, t + 5.0f, 10.0f - t, t * 1.5f + 8.0f, a, b);
        EXPECT_EQ(a, n1.Get(t + 5.0f, 10.0f - t, t * 1.5f + 8.0f));
        EXPECT_EQ(b, n3.Get(t + 5.0f, 10.0f - t, t * 1.5f + 8.0f));
    }

    const uint32_t n = 16, pixels = 6 * n * n;
    KR::RandomSeed(8);
    uint32_t start = KR::GetRandomState();
    const ProceduralImage dark = KR::CreateSkyBoxStars(n, 0.0f, false);
    // One draw per pixel decides there is no star.
    EXPECT_EQ(KR::GetRandomState(), KR::RandomStateAfter(start, pixels));
    for (size_t i = 0; i < dark.texels(); ++i)
        ASSERT_EQ(std::memcmp(&dark.data[i * 4], "\0\0\0\xff", 4), 0);

    // Above 1 every pixel is a star: four draws each (presence, brightness, two tints).
    start = KR::GetRandomState();
    const ProceduralImage bright = KR::CreateSkyBoxStars(n, 2.0f, false);
    EXPECT_EQ(KR::GetRandomState(), KR::RandomStateAfter(start, 4 * uint64_t(pixels)));
    int lit = 0;
    for (size_t i = 0; i < bright.texels(); ++i) {
        ASSERT_EQ(bright.data[i * 4 + 3], 255);
        lit += bright.data[i * 4 + 2] > 0;
    }
    EXPECT_GT(lit, 0);
}

TEST(ProceduralTextures, LogLinesDotsAndTimes) {
    QorTest::ConsoleCapture capture;
    KR::RandomSeed(1);
    KR::GenerateTimed(KR::ContoursIntro(64),
                      [] { return KR::CreateNoiseMap1D(64, 200, 255, true); });
    KR::GenerateTimed(KR::TerrainMainIntro(40),
                      [] { return KR::CreateTerrainDetailMap(40, 150, 255, true, 2); });
    KR::GenerateTimed(KR::WaterSurfaceIntro(8, 70),
                      [] { return KR::CreateWaterWaveNormalMap(8, 70, true, 2); });
    KR::GenerateTimed(KR::SkyBoxCloudsIntro(6),
                      [] { return KR::CreateSkyBoxClouds(6, 0.6f, 0.3f, true, 2); });
    KR::GenerateTimed(KR::SkyBoxSpaceIntro(64),
                      [] { return KR::CreateSkyBoxStars(64, 0.5f, true); });
    KR::CreateSkyBoxClouds(6, 0.6f, 0.3f, false, 2);  // quiet generators write nothing
    KR::GenerateTimed("x ", [] { return ProceduralImage{}; });

    // Every time is a plain number of seconds; masked as "#" for the comparison.
    std::string text = capture.str();  // no <regex>: GCC warns inside it in the sanitizer build
    for (size_t at = 0; (at = text.find("Generated in ", at)) != std::string::npos;) {
        const size_t from = at += 13, to = text.find(" sec", from);
        if (to != std::string::npos && std::isdigit(static_cast<unsigned char>(text[from])) &&
            text.find_first_not_of("0123456789.e+-", from) == to)
            text.replace(from, to - from, "#");
    }
    const std::string end = "\n Generated in # sec\n";
    // 64 / 32 = 2: every second index; 40 / 32 = 1: every index; 70 / 32 = 2: indices 0, 2 ... 68;
    // the clouds' outer loop is the six faces.
    EXPECT_EQ(text, "Contours: 64 px " + std::string(32, '.') + end + "Terrain main: 40x40 px " +
                        std::string(40, '.') + end + "Water surface: 70 frames of 8x8 px " +
                        std::string(35, '.') + end + "Skybox clouds: 6 sides of 6x6 px " +
                        std::string(6, '.') + end + "Skybox space:  6 sides of 64x64 px " +
                        std::string(32, '.') + end + "x " + end);
}

}  // namespace
