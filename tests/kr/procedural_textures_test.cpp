// The procedural textures: byte ranges, the seed and the thread count, the water and sky
// generators against their definitions, the log lines and the memory errors.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/noise/perlin_noise_3d.h"
#include "kr/procedural/procedural_textures.h"
#include "support/console_capture.h"

namespace {

using KR::ProceduralImage;

bool SameBytes(const ProceduralImage& a, const ProceduralImage& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           std::memcmp(a.data.get(), b.data.get(), a.bytes()) == 0;
}

// Every generator once, from the given seed and with the given thread count.
std::vector<ProceduralImage> MakeAll(int seed, unsigned threads) {
    KR::RandomSeed(seed);
    std::vector<ProceduralImage> images;
    images.push_back(KR::CreateNoiseMap1D(128, 200, 255, false));
    images.push_back(KR::CreateTerrainDetailMap(48, 150, 255, false, threads));
    images.push_back(KR::CreateWaterWaveNormalMap(16, 12, false, threads));
    images.push_back(KR::CreateSkyBoxClouds(20, 0.6f, 0.3f, false, threads));
    images.push_back(KR::CreateSkyBoxStars(16, 0.5f, false));
    return images;
}

TEST(ProceduralTextures, GreyMapsSpanTheirByteRangeAtAnySize) {
    KR::RandomSeed(11);
    const ProceduralImage band = KR::CreateNoiseMap1D(512, 200, 255, false);
    const ProceduralImage detail = KR::CreateTerrainDetailMap(64, 150, 255, false, 1);
    ASSERT_EQ(band.width * band.height * band.depth, 512u);
    ASSERT_EQ(detail.width * detail.height, 64u * 64);
    // Grey and opaque in range. The detail map is stretched over its own extremes, so it
    // reaches its low end; the band over the noise's bounds.
    for (auto [image, low] : {std::pair{&band, 200}, {&detail, 150}}) {
        int lowest = 255;
        for (size_t i = 0; i < image->texels(); ++i) {
            const uint8_t* t = &image->data[i * 4];
            ASSERT_TRUE(t[0] >= low && t[0] == t[1] && t[0] == t[2] && t[3] == 255) << i;
            lowest = std::min<int>(lowest, t[0]);
        }
        EXPECT_TRUE(image == &band || lowest == low) << lowest;
    }
    // One texel has no range to stretch: it becomes low. Sizes below the noise divisors and
    // empty images must not sample at an infinite scale.
    EXPECT_EQ(KR::CreateTerrainDetailMap(1, 150, 255, false, 1).data[0], 150);
    EXPECT_EQ(KR::CreateNoiseMap1D(5, 0, 255, false).width, 5u);
    EXPECT_EQ(KR::CreateWaterWaveNormalMap(4, 2, false, 1).bytes(), 4u * 4 * 2 * 4);
    EXPECT_EQ(KR::CreateSkyBoxClouds(0, 0.6f, 0.3f, false, 1).bytes(), 0u);
    EXPECT_EQ(KR::CreateSkyBoxClouds(1, 0.6f, 0.3f, false, 1).bytes(), 6u * 4);
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

TEST(ProceduralTextures, WaterTexelNormalFollowsTheSlope) {
    const int alpha = uint8_t((0.2f / 4.0f + 0.5f) * 255.0f);
    EXPECT_EQ(Texel(0.2f, 0.2f, 0.2f, 0.2f, 0.2f), (std::array{127, 127, 255, alpha}));
    // Rising to the right (and down): the normal leans left (and up).
    const auto right = Texel(0.0f, 0.5f, 0.0f, 0.0f, -0.5f), down = Texel(0, 0, 0.5f, -0.5f, 0);
    EXPECT_TRUE(right[0] < 127 && right[1] == 127 && down[0] == 127 && down[1] < 127);
    // A peak: its four faces tilt apart and cancel sideways, so the normal stays upright.
    const auto peak = Texel(1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(peak[0] == 127 && peak[1] == 127 && peak[2] == 255);
}

TEST(ProceduralTextures, WaterMapWrapsWithinEachFrame) {
    const uint32_t n = 8, frames = 8;
    KR::RandomSeed(9);
    const ProceduralImage map = KR::CreateWaterWaveNormalMap(n, frames, false, 2);
    // The same noise, rebuilt from the same seed, gives the heights.
    KR::RandomSeed(9);
    KR::PerlinNoise3D noise;
    noise.SetSeed(-1);
    noise.SetSize(n, n, frames, 8);
    noise.SetParams(4, 2.0f, 1);
    noise.SetNoiseType(KR::PerlinNoise3D::kInterpolated, 0);
    auto h = [&](uint32_t x, uint32_t y, uint32_t k) {
        return noise.Get(float(x % n), float(y % n), float(k));
    };
    for (uint32_t k : {0u, frames - 1}) {
        for (uint32_t y : {0u, 3u, n - 1}) {
            for (uint32_t x : {0u, 5u, n - 1}) {
                uint8_t want[4];
                KR::WaterWaveTexel(h(x, y, k), h(x + 1, y, k), h(x, y + 1, k), h(x, y + n - 1, k),
                                   h(x + n - 1, y, k), want);
                EXPECT_EQ(std::memcmp(&map.data[((k * n + y) * n + x) * 4], want, 4), 0)
                    << x << "," << y << "," << k;
            }
        }
    }
}

TEST(ProceduralTextures, CloudsAreUnitNormalsWithDensityFromBothNoises) {
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
    // Values reach up to 2 with full clouds, so many texels saturate.
    EXPECT_GT(dense, 0);

    KR::PerlinNoise3D n1, n3;
    n1.SetOffset();
    n1.SetParams(6, 1.5f, 0);
    n1.SetNoiseType(KR::PerlinNoise3D::kImproved, 2);
    n3.CopyFrom(n1);
    n3.SetPersistence(3.0f);
    for (float t : {0.0f, 1.25f, 7.5f, 12.7f, 14.99f}) {
        float a, b;
        KR::SkyBoxCloudPair(n1, n3, t + 5.0f, 10.0f - t, t * 1.5f + 8.0f, a, b);
        EXPECT_EQ(a, n1.Get(t + 5.0f, 10.0f - t, t * 1.5f + 8.0f));
        EXPECT_EQ(b, n3.Get(t + 5.0f, 10.0f - t, t * 1.5f + 8.0f));
    }
}

TEST(ProceduralTextures, StarsDrawInTheirOrder) {
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
    const std::string all = capture.str(), head = "Generated in ";
    std::string text;
    size_t from = 0;
    for (size_t at = all.find(head); at != std::string::npos; at = all.find(head, from)) {
        at += head.size();
        size_t used = 0;
        EXPECT_GE(std::stod(all.substr(at), &used), 0.0);
        text.append(all, from, at - from).append("#");
        from = at + used;
        EXPECT_EQ(all.compare(from, 4, " sec"), 0);
    }
    text.append(all, from, std::string::npos);
    const std::string end = "\n Generated in # sec\n";
    // 64 / 32 = 2: every second index; 40 / 32 = 1: every index; 70 / 32 = 2: indices 0, 2 ... 68;
    // the clouds' outer loop is the six faces.
    EXPECT_EQ(text, "Contours: 64 px " + std::string(32, '.') + end + "Terrain main: 40x40 px " +
                        std::string(40, '.') + end + "Water surface: 70 frames of 8x8 px " +
                        std::string(35, '.') + end + "Skybox clouds: 6 sides of 6x6 px " +
                        std::string(6, '.') + end + "Skybox space:  6 sides of 64x64 px " +
                        std::string(32, '.') + end + "x " + end);
}

TEST(ProceduralTextures, ImpossibleSizesRaiseTheMemoryError) {
    const uint32_t huge = 0xFFFFFFFFu;
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { KR::CreateTerrainDetailMap(huge, 0, 255, false, 1); }, "KR::CreateTerrainDetailMap"},
        {[&] { KR::CreateWaterWaveNormalMap(huge, huge, false, 1); },
         "KR::CreateWaterWaveNormalMap"},
        {[&] { KR::CreateSkyBoxClouds(huge, 0.6f, 0.3f, false, 1); }, "KR::CreateSkyBoxClouds"},
        {[&] { KR::CreateSkyBoxStars(huge, 0.5f, false); }, "CreateSkyBoxStars()"}};
    for (const auto& [make, place] : cases) {
        try {
            make();
            ADD_FAILURE() << place;
        } catch (const KR::ErrorMem& e) {
            EXPECT_EQ(e.FullText(),
                      place + ": Not enough memory!\n\nMemory block: 4294967295 bytes");
        }
    }
}

}  // namespace
