// Terrain generation: clamps, normalisation, every algorithm and shape, the import of images.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/noise/perlin_noise_2d.h"
#include "terrain/flow_pass.h"
#include "terrain/grid_fixtures.h"
#include "terrain/terrain.h"
#include "terrain/terrain_shape.h"

namespace {

void ExpectVector(const KR::Vector4& v, std::vector<float> expected) {
    EXPECT_EQ((std::vector<float>{v.x, v.y, v.z, v.w}), expected);
}

std::vector<float> Generate(terrain& t, int algorithm, int seed) {
    t.generation.algorithm = algorithm;
    KR::RandomSeed(seed);
    t.GenerateTerrain();
    return QorTest::Plane(t);
}

TEST(GenerationParameters, ClampsInTheirOrder) {
    auto fields = [](terrain_generation_info& g) {
        return std::tie(g.x, g.y, g.min, g.max, g.type, g.algorithm, g.detail, g.smooth);
    };
    using values = std::tuple<int, int, float, float, int, int, int, int>;
    const std::pair<values, values> cases[] = {
        {{5, 5000, 30, 10, 4, 7, -3, 1001}, {10, 1024, 0, 10, 4, 3, 0, 1000}},  // min above max: 0
        {{10, 10, 5, -3, -1, -1, 0, 0}, {10, 10, 0, 20, 0, 0, 0, 0}},  // max still below min: 20
        {{10, 10, 600, 2000, 0, 0, 0, 0}, {10, 10, 512, 1024, 0, 0, 0, 0}},  // each on its own
    };
    for (const auto& [in, out] : cases) {
        terrain_generation_info g;
        fields(g) = in;
        g.CheckTerrainParameters();
        EXPECT_EQ(fields(g), out);
    }
}

TEST(GenerationGrid, NormaliseMapsOntoTheHeightDifference) {
    terrain_generation_info g;
    std::tie(g.x, g.y, g.min, g.max) = std::make_tuple(3, 1, 2.0f, 12.0f);
    g.InitData();
    auto normalised = [&g](std::vector<float> values) {
        std::copy(values.begin(), values.end(), g.grid.get());
        g.Normalise();
        return std::vector<float>(g.grid.get(), g.grid.get() + 3);
    };
    EXPECT_EQ(normalised({-4, 1, 6}), (std::vector<float>{0, 5, 10}));
    EXPECT_EQ(normalised({42, 42, 42}), std::vector<float>(3, 0.0f));  // no spread
    g.min = g.max = 7.0f;
    EXPECT_EQ(normalised({-4, 1, 6}), std::vector<float>(3, 0.0f));  // equal limits flatten
}

class GenerationAlgorithms : public ::testing::Test, public QorTest::scene {
  protected:
    void SetUp() override {
        std::tie(t.generation.x, t.generation.y, t.generation.detail, t.generation.smooth) =
            std::make_tuple(40, 30, 300, 0);
    }
    void TearDown() override { step_kernel_limit = step_kernels::best; }
};

// The program's generator as its definition states it, apart from KR's: rand() is the 15-bit
// linear congruential generator, a random value in [a, b] is rand() / 32767.0 * (b - a) + a.
struct text_random {
    uint32_t state;
    float operator()(float a, float b) {
        state = state * 214013u + 2531011u;
        return float(int((state >> 16) & 0x7FFF) / 32767.0 * (b - a) + a);
    }
};

// Random Points, straight from its definition, for cells computed one at a time.
std::vector<float> PlainRandomPoints(int X, int Y, int detail, int seed) {
    text_random random{uint32_t(seed)};
    const float diag = std::sqrt(float(X) * X + float(Y) * Y), r0 = diag / 10, m = r0 / 3;
    std::vector<float> p;
    for (int k = 0; k < detail; ++k)  // x, y, height, radius: a braced list keeps the order
        p.insert(p.end(),
                 {random(-m, diag + m), random(-m, diag + m), random(-1, 1), random(r0 / 10, r0)});
    std::vector<float> grid;
    for (int j = 0; j < Y; ++j)
        for (int i = 0; i < X; ++i) {
            float sum = 0;
            for (size_t k = 0; k < p.size(); k += 4) {
                const float dx = p[k] - float(i), dy = p[k + 1] - float(j);
                const float q = std::sqrt(dx * dx + dy * dy) / p[k + 3];
                sum += p[k + 2] / (q * q + 1);
            }
            grid.push_back(sum);
        }
    return grid;
}

// Faulting as its definition walks it: every step of every line, tested against the grid.
std::vector<float> PlainFaulting(int W, int H, int detail, int seed) {
    text_random random{uint32_t(seed)};
    std::vector<float> grid(size_t(W) * H, 0.0f);
    auto truncated = [&](float a, float b) { return int(random(a, b)); };
    auto side_point = [&](int side, int& x, int& y) {
        if (side == 0 || side == 2) {
            y = side == 0 ? -H : 2 * H;
            x = truncated(float(-W), float(2 * W));
        } else {
            x = side == 1 ? 2 * W : -W;
            y = truncated(float(-H), float(2 * H));
        }
    };
    for (int f = 0; f < detail; ++f) {
        const int s1 = truncated(0, 4) % 4;
        int x1, y1, x2, y2;
        side_point(s1, x1, y1);
        side_point((truncated(1, 4) + s1) % 4, x2, y2);
        const int w = truncated(3, std::sqrt(float(W * W + H * H)) / 2);
        const float a = 1.0f / random(0.1f, 1.0f);
        y1 -= w / 2;
        y2 -= w / 2;
        for (int k = -(w / 2); k <= w / 2; ++k) {
            const float inc = (std::cos(float(k) / float(w) * 3.1415927f * 2) + 1) * a;
            int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
            const bool steep = dy > dx;
            if (steep) {
                std::swap(x1, y1);
                std::swap(x2, y2);
                std::swap(dx, dy);
            }
            int e = 2 * dy - dx, x = x1, y = y1;
            const int ystep = y1 < y2 ? 1 : -1, xstep = x1 < x2 ? 1 : -1;
            y1 += xstep;
            y2 += xstep;
            while (x != x2) {
                const int column = steep ? y : x, row = steep ? x : y;
                if (column >= 0 && column < W && row >= 0 && row < H)
                    grid[size_t(row) * W + column] += inc;
                x += xstep;
                if (e >= 0) y += ystep;
                e += e < 0 ? 2 * dy : 2 * (dy - dx);
            }
        }
    }
    return grid;
}

// Perlin Noise: five octaves of interpolated lattice noise at 0.04 cells per grid step.
std::vector<float> PlainPerlin(int X, int Y, int seed) {
    KR::RandomSeed(seed);
    KR::PerlinNoise2D noise;
    noise.SetSeed(-1);
    noise.SetSize(25, 25, 1);
    noise.SetParams(5, 2.0f, 0);
    noise.SetNoiseType(KR::PerlinNoise2D::kInterpolated, 0);
    std::vector<float> grid;
    for (int j = 0; j < Y; ++j)
        for (int i = 0; i < X; ++i)
            grid.push_back(noise.Get(float(i), float(j)));
    return grid;
}

// The algorithm's grid rescaled onto [0, max - min] times the shape's factor, for every shape
// and algorithm; Random Points draws four values a point, Faulting six a fault, Perlin one.
TEST_F(GenerationAlgorithms, EveryHeightFollowsTheDefinitionForEachShape) {
    const double pi = 3.1415927;
    auto c = [](double a) { return (std::cos(a) + 1) / 2; };
    const struct {
        int algorithm, X, Y, detail, seed, shape;
        float min, max;
        int threads, kernels;  // kernels: 0 the best, 1 AVX2, 2 plain x86-64
    } cases[] = {
        {kAlgorithmRandomPoints, 23, 17, 40, 3, kShapeMountain, 2, 30, 1, 0},
        {kAlgorithmFaulting, 16, 31, 25, 9, kShapeLake, 0, 20, 1, 0},
        {kAlgorithmRandomPoints, 12, 12, 15, 5, kShapeValley, 1, 11, 2, 0},
        {kAlgorithmFaulting, 30, 12, 15, 2, kShapeEdge, 0, 50, 1, 0},
        {kAlgorithmFaulting, 11, 10, 30, 77, kShapeFlat, 5, 6, 1, 0},
        // Faulting's walks: lines steep and flat, mostly outside the grid.
        {kAlgorithmFaulting, 37, 23, 60, 60, kShapeFlat, 0, 20, 2, 0},
        {kAlgorithmFaulting, 20, 50, 40, 70, kShapeFlat, 0, 20, 1, 0},
        {kAlgorithmFaulting, 64, 64, 30, 128, kShapeMountain, 0, 20, 3, 0},
        {kAlgorithmPerlinNoise, 40, 30, 0, 11, kShapeFlat, 0, 20, 1, 0},
        {kAlgorithmPerlinNoise, 33, 45, 0, 8, kShapeLake, 3, 13, 3, 0},
        {kAlgorithmRandomPoints, 40, 30, 0, 5, kShapeEdge, 3, 20, 1, 0},  // no points: flat
        {kAlgorithmFaulting, 40, 30, 0, 5, kShapeFlat, 3, 20, 1, 0},      // no faults: flat
        // 75 columns leave partial vector blocks at the row ends.
        {kAlgorithmRandomPoints, 75, 23, 200, 7, kShapeFlat, 0, 20, 3, 2},
        {kAlgorithmRandomPoints, 75, 23, 200, 7, kShapeMountain, 0, 20, 2, 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE("case " + std::to_string(&k - cases));
        std::vector<float> h =
            k.algorithm == kAlgorithmRandomPoints ? PlainRandomPoints(k.X, k.Y, k.detail, k.seed)
            : k.algorithm == kAlgorithmFaulting   ? PlainFaulting(k.X, k.Y, k.detail, k.seed)
                                                  : PlainPerlin(k.X, k.Y, k.seed);
        const auto [lo, hi] = std::minmax_element(h.begin(), h.end());
        const float low = *lo, scale = *hi > low ? (k.max - k.min) / (*hi - low) : 0;
        for (int j = 0; j < k.Y; ++j)
            for (int i = 0; i < k.X; ++i) {
                const double u = double(i) / k.X, v = double(j) / k.Y;
                const int cx = k.X / 2, cy = k.Y / 2;
                const double d = std::hypot(i - cx, j - cy), D = std::hypot(cx, cy);
                const double factor[] = {1, c(2 * pi * u + pi) * c(2 * pi * v + pi) + 0.5,
                                         c(pi * d / D + pi) + 0.5, c(2 * pi * u) + 0.5,
                                         c(2 * pi * u + pi) + 0.5};
                float& cell = h[size_t(j) * k.X + i];
                cell = float((cell - low) * scale * factor[k.shape]);
            }
        terrain_generation_info& g = t.generation;
        std::tie(g.x, g.y, g.detail, g.type, g.min, g.max) =
            std::tie(k.X, k.Y, k.detail, k.shape, k.min, k.max);
        t.SetStepThreads(k.threads);
        step_kernel_limit =
            std::array{step_kernels::best, step_kernels::avx2, step_kernels::plain}[k.kernels];
        const std::vector<float> made = Generate(t, k.algorithm, k.seed);
        const uint64_t draws[3] = {4 * uint64_t(k.detail), 6 * uint64_t(k.detail), 1};
        EXPECT_EQ(KR::GetRandomState(), KR::RandomStateAfter(k.seed, draws[k.algorithm]));
        ASSERT_EQ(made.size(), h.size());
        for (size_t n = 0; n < h.size(); ++n)
            ASSERT_NEAR(made[n], h[n], 2e-5f * (k.max - k.min)) << "cell " << n;
    }
}

TEST_F(GenerationAlgorithms, ReplacesTerrainFloodsResetsTheViewAndHoldsSizesInRange) {
    t.AddBall();
    t.view = KR::Vector4(12, 34, 56, 7);
    t.sun = KR::Vector4(1, 2, 3, 4);
    t.generation.type = kShapeMountain;
    const std::vector<float> h = Generate(t, kAlgorithmPerlinNoise, 21);

    EXPECT_EQ(std::make_tuple(t.cluster_count, t.extent.x, t.extent.y, t.ObjectCount(), t.ready),
              std::make_tuple(1u, 40.0f, 30.0f, 0, 1u));
    EXPECT_EQ(t.selected, nullptr);
    ExpectVector(t.view, {0, 70, 140, 0});
    ExpectVector(t.view_pos, {20, 15, 0, 0});
    ExpectVector(t.sun, {-45, 50, 80, 0});
    EXPECT_EQ(t.generation.grid, nullptr);

    // No smoothing pass: no hand-over either, yet the draw buffers show the new ground.
    const cluster& c = t.clusters[0];
    EXPECT_EQ(c.read_field, &c.fields[0]);
    for (int j = 0; j < 30; ++j)
        for (int i = 0; i < 40; ++i) {
            const float g = h[size_t(j) * 40 + i];
            ASSERT_EQ(c.read_field->GetWater(i + 1, j + 1), std::max(0.0f, 10.0f - g));
            ASSERT_EQ(c.vertex_data[c.terrain_pos_offset + 3 * (j * 40 + i) + 2], g);
        }

    t.generation.x = 0;  // sizes set without the checks are held in range
    t.generation.y = 5000;
    t.generation.detail = -8;
    Generate(t, kAlgorithmRandomPoints, 1);
    EXPECT_EQ(std::make_pair(t.extent.x, t.extent.y), std::make_pair(10.0f, 1024.0f));
}

TEST_F(GenerationAlgorithms, EachSmoothingPassIsASmoothAndAHandOver) {
    Generate(t, kAlgorithmPerlinNoise, 8);
    for (int pass = 0; pass < 2; ++pass)
        t.SmoothTerrain(), t.UpdateBuffers();
    const std::vector<float> by_hand = QorTest::Plane(t);

    t.generation.smooth = 2;
    const std::vector<float> smoothed = Generate(t, kAlgorithmPerlinNoise, 8);
    EXPECT_TRUE(QorTest::SameBits(smoothed, by_hand));
    EXPECT_EQ(t.clusters[0].read_field, &t.clusters[0].fields[0]);  // swapped twice
}

// An image w x h, the pixel (i, j) of colour(i, j) with alpha 17.
using rgb = std::array<uint8_t, 3>;
rgba_image Image(int w, int h, const std::function<rgb(int, int)>& colour) {
    rgba_image image;
    image.width = w;
    image.height = h;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const rgb c = colour(i, j);
            image.pixels.insert(image.pixels.end(), {c[0], c[1], c[2], 17});
        }
    return image;
}

class GenerationImport : public GenerationAlgorithms {
  protected:
    void SetUp() override {
        GenerationAlgorithms::SetUp();
        std::tie(t.generation.x, t.generation.y, t.generation.max, t.generation.algorithm) =
            std::make_tuple(10, 10, 765.0f, kAlgorithmImportBitmap);
        t.file_names = &files;
        t.import_image = [this](const std::string& name) {
            opened.push_back(name);
            return image;
        };
        t.BuildFromHeights(std::vector<float>(25 * 20, 3.0f).data(), 25, 20);
        t.AddBall();
        t.view = KR::Vector4(1, 2, 3, 4);
    }

    void ExpectUntouched() {
        EXPECT_EQ(QorTest::Plane(t), std::vector<float>(25 * 20, 3.0f));
        EXPECT_EQ(t.ObjectCount(), 1);
        ExpectVector(t.view, {1, 2, 3, 4});
        EXPECT_EQ(t.generation.grid, nullptr);
    }

    QorTest::ScriptedNames files;
    rgba_image image;
    std::vector<std::string> opened;
};

TEST_F(GenerationImport, CancelAndReaderFailuresChangeNothing) {
    t.GenerateTerrain();
    ASSERT_EQ(files.asked.size(), 1u);
    std::string dialog = files.asked[0].title;
    for (const file_filter& f : files.asked[0].filters)
        dialog += "|" + f.label + "|" + f.pattern;
    EXPECT_EQ(dialog, "Import|Windows Bitmap (*.bmp)|*.bmp|All Files (*.*)       |*.*");
    EXPECT_TRUE(files.asked[0].must_exist && files.asked[0].hide_read_only);
    EXPECT_TRUE(opened.empty());
    ExpectUntouched();

    t.file_names = nullptr;  // nobody to ask counts as a cancel
    t.GenerateTerrain();
    ExpectUntouched();

    t.file_names = &files;
    files.answer = "broken.bmp";
    t.import_image = [](const std::string& name) -> rgba_image {
        throw KR::ErrorFile("KR::Texture::load_bmp", ": Can't open file!", name);
    };
    EXPECT_THROW(t.GenerateTerrain(), KR::ErrorFile);
    ExpectUntouched();

    // A reader whose sizes promise more pixels than it delivers.
    t.import_image = [](const std::string&) {
        rgba_image short_image = Image(10, 10, [](int, int) { return rgb{5, 5, 5}; });
        short_image.pixels.resize(10 * 9 * 4);
        return short_image;
    };
    EXPECT_THROW(t.GenerateTerrain(), KR::Error);
    ExpectUntouched();
}

TEST_F(GenerationImport, EachPixelIsRedPlusGreenPlusBlueAndOtherSizesAreRescaled) {
    files.answer = "hills.bmp";
    // Red, green and blue count alike, alpha not at all.
    image = Image(10, 10, [](int i, int j) {
        const rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        return j == 2 && i >= 3 && i <= 6 ? colours[i - 3] : rgb{};
    });
    t.GenerateTerrain();
    EXPECT_EQ(opened, std::vector<std::string>{"hills.bmp"});
    std::vector<float> expected(100, 0.0f);
    expected[23] = expected[24] = expected[25] = 255.0f;
    expected[26] = 765.0f;
    EXPECT_EQ(QorTest::Plane(t), expected);

    // 20 x 20 in 2 x 2 blocks: halving gives each block's colour.
    image = Image(20, 20, [](int i, int j) { return rgb{uint8_t((i / 2 + j / 2) * 10), 0, 0}; });
    t.GenerateTerrain();
    const std::vector<float> h = QorTest::Plane(t);
    ASSERT_EQ(h.size(), 100u);
    const float scale = 765.0f / 180.0f;  // normalisation of red 0 ... 180
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i)
            ASSERT_FLOAT_EQ(h[j * 10 + i], float((i + j) * 10) * scale) << i << "," << j;
}

}  // namespace
