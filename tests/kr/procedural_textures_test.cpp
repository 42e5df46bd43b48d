#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/noise/perlin_noise_3d.h"
#include "kr/procedural/procedural_textures.h"
#include "kr/base/random.h"

namespace {

using KR::ProceduralImage;

bool SameBytes(const ProceduralImage& a, const ProceduralImage& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth &&
           std::memcmp(a.data.get(), b.data.get(), a.bytes()) == 0;
}

const uint8_t* Texel(const ProceduralImage& image, uint32_t x, uint32_t y, uint32_t k) {
    return &image.data[((size_t(k) * image.height + y) * image.width + x) * 4];
}

// Captures the console for one test and restores standard output afterwards.
class ConsoleCapture {
  public:
    ConsoleCapture() { KR::console.SetStream(&text); }
    ~ConsoleCapture() { KR::console.SetStream(&std::cout); }
    // The text with every time replaced by "#".
    std::string Masked() const {
        const std::string all = text.str(), head = "Generated in ", tail = " sec";
        std::string out;
        size_t from = 0;
        for (size_t at = all.find(head); at != std::string::npos; at = all.find(head, from)) {
            at += head.size();
            const size_t end = all.find(tail, at);
            if (end == std::string::npos) break;
            out.append(all, from, at - from).append("#");
            times.push_back(all.substr(at, end - at));
            from = end;
        }
        return out.append(all, from, std::string::npos);
    }
    mutable std::vector<std::string> times;  // what Masked took out

  private:
    std::ostringstream text;
};

TEST(ProceduralTextures, GreyMapsSpanTheirByteRange) {
    KR::RandomSeed(11);
    const ProceduralImage band = KR::CreateNoiseMap1D(512, 200, 255, false);
    ASSERT_EQ(band.width, 512u);
    ASSERT_EQ(band.height, 1u);
    ASSERT_EQ(band.depth, 1u);
    const ProceduralImage detail = KR::CreateTerrainDetailMap(64, 150, 255, false, 1);
    ASSERT_EQ(detail.width, 64u);
    ASSERT_EQ(detail.height, 64u);
    for (const auto* image : {&band, &detail}) {
        const uint8_t low = image == &band ? 200 : 150;
        uint8_t mn = 255;
        for (size_t i = 0; i < image->texels(); ++i) {
            const uint8_t* t = &image->data[i * 4];
            ASSERT_GE(t[0], low);
            ASSERT_EQ(t[0], t[1]);
            ASSERT_EQ(t[0], t[2]);
            ASSERT_EQ(t[3], 255);
            mn = std::min(mn, t[0]);
        }
        // The detail map is stretched over its own extremes; the band over the noise's bounds.
        if (image == &detail) {
            EXPECT_EQ(mn, 150);
        }
    }
}

TEST(ProceduralTextures, TinyAndFlatSizesStayDefined) {
    KR::RandomSeed(3);
    // One texel has no range to stretch: it becomes low. Sizes below the noise divisors and
    // empty images must not sample at an infinite scale.
    const ProceduralImage one = KR::CreateTerrainDetailMap(1, 150, 255, false, 1);
    EXPECT_EQ(one.data[0], 150);
    const ProceduralImage band = KR::CreateNoiseMap1D(5, 0, 255, false);
    EXPECT_EQ(band.width, 5u);
    const ProceduralImage water = KR::CreateWaterWaveNormalMap(4, 2, false, 1);
    EXPECT_EQ(water.bytes(), 4u * 4 * 2 * 4);
    EXPECT_EQ(KR::CreateSkyBoxClouds(0, 0.6f, 0.3f, false, 1).bytes(), 0u);
    const ProceduralImage cloud = KR::CreateSkyBoxClouds(1, 0.6f, 0.3f, false, 1);
    EXPECT_EQ(cloud.bytes(), 6u * 4);
}

TEST(ProceduralTextures, SeedDecidesEveryNoiseTexture) {
    auto make_all = [](int seed) {
        KR::RandomSeed(seed);
        std::vector<ProceduralImage> images;
        images.push_back(KR::CreateNoiseMap1D(128, 200, 255, false));
        images.push_back(KR::CreateTerrainDetailMap(32, 150, 255, false, 2));
        images.push_back(KR::CreateWaterWaveNormalMap(16, 8, false, 2));
        images.push_back(KR::CreateSkyBoxClouds(12, 0.6f, 0.3f, false, 2));
        images.push_back(KR::CreateSkyBoxStars(16, 0.5f, false));
        return images;
    };
    const auto a = make_all(5), b = make_all(5), c = make_all(6);
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(SameBytes(a[i], b[i])) << "generator " << i;
        EXPECT_FALSE(SameBytes(a[i], c[i])) << "generator " << i;
    }
}

TEST(ProceduralTextures, ThreadCountDoesNotChangeBytes) {
    for (unsigned threads : {2u, 3u}) {
        KR::RandomSeed(21);
        const ProceduralImage d1 = KR::CreateTerrainDetailMap(48, 150, 255, false, 1);
        const ProceduralImage w1 = KR::CreateWaterWaveNormalMap(16, 12, false, 1);
        const ProceduralImage c1 = KR::CreateSkyBoxClouds(20, 0.6f, 0.3f, false, 1);
        const uint32_t after_one = KR::GetRandomState();
        KR::RandomSeed(21);
        EXPECT_TRUE(SameBytes(d1, KR::CreateTerrainDetailMap(48, 150, 255, false, threads)));
        EXPECT_TRUE(SameBytes(w1, KR::CreateWaterWaveNormalMap(16, 12, false, threads)));
        EXPECT_TRUE(SameBytes(c1, KR::CreateSkyBoxClouds(20, 0.6f, 0.3f, false, threads)));
        // The seeds come from the calling thread, so the sequence goes on the same way.
        EXPECT_EQ(KR::GetRandomState(), after_one);
    }
}

TEST(ProceduralTextures, WaterTexelNormalFollowsTheSlope) {
    uint8_t t[4];
    KR::WaterWaveTexel(0.2f, 0.2f, 0.2f, 0.2f, 0.2f, t);
    EXPECT_EQ(t[0], 127);
    EXPECT_EQ(t[1], 127);
    EXPECT_EQ(t[2], 255);
    EXPECT_EQ(t[3], static_cast<uint8_t>((0.2f / 4.0f + 0.5f) * 255.0f));
    // Rising to the right (and down): the normal leans left (and up).
    KR::WaterWaveTexel(0.0f, 0.5f, 0.0f, 0.0f, -0.5f, t);
    EXPECT_LT(t[0], 127);
    EXPECT_EQ(t[1], 127);
    KR::WaterWaveTexel(0.0f, 0.0f, 0.5f, -0.5f, 0.0f, t);
    EXPECT_EQ(t[0], 127);
    EXPECT_LT(t[1], 127);
    // A peak: its four faces tilt apart and cancel sideways, so the normal stays upright.
    KR::WaterWaveTexel(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, t);
    EXPECT_EQ(t[0], 127);
    EXPECT_EQ(t[1], 127);
    EXPECT_EQ(t[2], 255);
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
                EXPECT_EQ(std::memcmp(Texel(map, x, y, k), want, 4), 0)
                    << x << "," << y << "," << k;
            }
        }
    }
}

TEST(ProceduralTextures, CloudsAreUnitNormalsWithDensity) {
    KR::RandomSeed(4);
    const ProceduralImage none = KR::CreateSkyBoxClouds(16, 0.0f, 0.3f, false, 2);
    ASSERT_EQ(none.depth, 6u);
    int dense = 0;
    const ProceduralImage full = KR::CreateSkyBoxClouds(16, 1.0f, 0.3f, false, 2);
    for (size_t i = 0; i < none.texels(); ++i) {
        EXPECT_EQ(none.data[i * 4 + 3], 0);
        dense += full.data[i * 4 + 3] == 255;
        float len2 = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float v = full.data[i * 4 + c] / 255.0f * 2.0f - 1.0f;
            len2 += v * v;
        }
        ASSERT_NEAR(std::sqrt(len2), 1.0f, 0.02f);
    }
    // Values reach up to 2 with full clouds, so many texels saturate.
    EXPECT_GT(dense, 0);
}

TEST(ProceduralTextures, CloudPairMatchesBothNoises) {
    KR::RandomSeed(2);
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

TEST(ProceduralTextures, LogLinesAndDots) {
    ConsoleCapture capture;
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
    const std::string end = "\n Generated in # sec\n";
    // 64 / 32 = 2: every second index; 40 / 32 = 1: every index; 70 / 32 = 2: indices 0, 2 ... 68;
    // the clouds' outer loop is the six faces.
    EXPECT_EQ(capture.Masked(),
              "Contours: 64 px " + std::string(32, '.') + end + "Terrain main: 40x40 px " +
                  std::string(40, '.') + end + "Water surface: 70 frames of 8x8 px " +
                  std::string(35, '.') + end + "Skybox clouds: 6 sides of 6x6 px " +
                  std::string(6, '.') + end + "Skybox space:  6 sides of 64x64 px " +
                  std::string(32, '.') + end);
    // Quiet generators write nothing.
    ConsoleCapture quiet;
    KR::CreateSkyBoxClouds(6, 0.6f, 0.3f, false, 2);
    EXPECT_EQ(quiet.Masked(), "");
}

TEST(ProceduralTextures, TimeIsPrintedAsAPlainNumber) {
    ConsoleCapture capture;
    KR::GenerateTimed("x ", [] { return ProceduralImage{}; });
    EXPECT_EQ(capture.Masked(), "x \n Generated in # sec\n");
    ASSERT_EQ(capture.times.size(), 1u);
    size_t used = 0;
    EXPECT_GE(std::stod(capture.times[0], &used), 0.0);
    EXPECT_EQ(used, capture.times[0].size());
}

TEST(ProceduralTextures, ImpossibleSizesRaiseTheMemoryError) {
    const uint32_t huge = 0xFFFFFFFFu;
    auto message = [](auto make) {
        try {
            make();
        } catch (const KR::ErrorMem& e) {
            EXPECT_EQ(e.size, 0xFFFFFFFFu);
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { KR::CreateTerrainDetailMap(huge, 0, 255, false, 1); }),
              "KR::CreateTerrainDetailMap: Not enough memory!");
    EXPECT_EQ(message([&] { KR::CreateWaterWaveNormalMap(huge, huge, false, 1); }),
              "KR::CreateWaterWaveNormalMap: Not enough memory!");
    EXPECT_EQ(message([&] { KR::CreateSkyBoxClouds(huge, 0.6f, 0.3f, false, 1); }),
              "KR::CreateSkyBoxClouds: Not enough memory!");
    EXPECT_EQ(message([&] { KR::CreateSkyBoxStars(huge, 0.5f, false); }),
              "CreateSkyBoxStars(): Not enough memory!");
}

}  // namespace
