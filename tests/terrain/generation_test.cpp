// Terrain generation: parameters, normalisation and shapes, the algorithms' reproducibility,
// the rebuilt terrain and the import through scripted file names and images.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "terrain/flow_pass.h"
#include "terrain/terrain.h"
#include "terrain/terrain_shape.h"

namespace {

// The ground of the read field, row-major without the border ring.
std::vector<float> Heights(const terrain& t) {
    const vertex_2d_field& f = *t.clusters[0].read_field;
    std::vector<float> h;
    for (int y = 1; y < f.Height() - 1; ++y)
        for (int x = 1; x < f.Width() - 1; ++x)
            h.push_back(f.GetTerrain(x, y));
    return h;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

void ExpectVector(const KR::Vector4& v, std::vector<float> expected) {
    EXPECT_EQ((std::vector<float>{v.x, v.y, v.z, v.w}), expected);
}

std::vector<float> Generate(terrain& t, int algorithm, int seed) {
    t.generation.algorithm = algorithm;
    KR::RandomSeed(seed);
    t.GenerateTerrain();
    return Heights(t);
}

// --- parameters -------------------------------------------------------------------------

TEST(GenerationParameters, ClampsInTheirOrder) {
    terrain_generation_info g;
    g.x = 5;
    g.y = 5000;
    g.min = 30.0f;  // above max: min falls back to 0
    g.max = 10.0f;
    g.type = 4;
    g.algorithm = 7;
    g.detail = -3;
    g.smooth = 1001;
    g.CheckTerrainParameters();
    EXPECT_EQ(g.x, 10);
    EXPECT_EQ(g.y, 1024);
    EXPECT_EQ(g.min, 0.0f);
    EXPECT_EQ(g.max, 10.0f);
    EXPECT_EQ(g.type, 4);
    EXPECT_EQ(g.algorithm, 3);
    EXPECT_EQ(g.detail, 0);
    EXPECT_EQ(g.smooth, 1000);

    // A negative max is still below min after min's fix: max falls back to 20.
    g.min = 5.0f;
    g.max = -3.0f;
    g.type = -1;
    g.algorithm = -1;
    g.CheckTerrainParameters();
    EXPECT_EQ(g.min, 0.0f);
    EXPECT_EQ(g.max, 20.0f);
    EXPECT_EQ(g.type, 0);
    EXPECT_EQ(g.algorithm, 0);

    // Each limit is clamped on its own.
    g.min = 600.0f;
    g.max = 2000.0f;
    g.CheckTerrainParameters();
    EXPECT_EQ(g.min, 512.0f);
    EXPECT_EQ(g.max, 1024.0f);
}

// --- normalisation and shapes -----------------------------------------------------------

TEST(GenerationGrid, NormaliseMapsOntoTheHeightDifference) {
    terrain_generation_info g;
    g.x = 3;
    g.y = 1;
    g.min = 2.0f;
    g.max = 12.0f;
    g.InitData();
    const float values[3] = {-4.0f, 1.0f, 6.0f};
    std::copy(values, values + 3, g.grid.get());
    g.Normalise();
    EXPECT_EQ(g.grid[0], 0.0f);
    EXPECT_EQ(g.grid[1], 5.0f);
    EXPECT_EQ(g.grid[2], 10.0f);

    // No spread: everything becomes 0, whatever the limits.
    std::fill_n(g.grid.get(), 3, 42.0f);
    g.Normalise();
    EXPECT_EQ(std::vector<float>(g.grid.get(), g.grid.get() + 3), std::vector<float>(3, 0.0f));
    // Equal limits flatten any grid.
    std::copy(values, values + 3, g.grid.get());
    g.min = g.max = 7.0f;
    g.Normalise();
    EXPECT_EQ(std::vector<float>(g.grid.get(), g.grid.get() + 3), std::vector<float>(3, 0.0f));
}

TEST(GenerationGrid, ShapeFactorsAtEdgesAndCentre) {
    const int X = 70, Y = 50;
    for (int i = 0; i < X; ++i)
        EXPECT_EQ(ShapeFactor(kShapeMountain, i, 0, X, Y), 0.5f) << "row 0, column " << i;
    for (int j = 0; j < Y; ++j)
        EXPECT_EQ(ShapeFactor(kShapeMountain, 0, j, X, Y), 0.5f) << "column 0, row " << j;
    EXPECT_FLOAT_EQ(ShapeFactor(kShapeMountain, X / 2, Y / 2, X, Y), 1.5f);

    EXPECT_FLOAT_EQ(ShapeFactor(kShapeLake, X / 2, Y / 2, X, Y), 0.5f);
    EXPECT_FLOAT_EQ(ShapeFactor(kShapeLake, 0, 0, X, Y), 1.5f);

    // Valley and Edge depend on the column only and mirror each other.
    for (int j : {0, 17, Y - 1}) {
        EXPECT_FLOAT_EQ(ShapeFactor(kShapeValley, 0, j, X, Y), 1.5f);
        EXPECT_FLOAT_EQ(ShapeFactor(kShapeValley, X / 2, j, X, Y), 0.5f);
        EXPECT_FLOAT_EQ(ShapeFactor(kShapeEdge, 0, j, X, Y), 0.5f);
        EXPECT_FLOAT_EQ(ShapeFactor(kShapeEdge, X / 2, j, X, Y), 1.5f);
    }
    for (int shape = kShapeFlat; shape <= kShapeEdge; ++shape)
        for (int j = 0; j < 13; ++j)
            for (int i = 0; i < 11; ++i) {
                const float f = ShapeFactor(shape, i, j, 11, 13);
                ASSERT_TRUE(f >= 0.5f && f <= 1.5f) << shape << " at " << i << "," << j;
                if (shape == kShapeFlat) {
                    ASSERT_EQ(f, 1.0f);
                }
            }
}

// --- the algorithms ---------------------------------------------------------------------

class GenerationAlgorithms : public ::testing::Test {
  protected:
    void SetUp() override {
        t.settings = &s;
        t.generation.x = 40;
        t.generation.y = 30;
        t.generation.detail = 300;
        t.generation.smooth = 0;
    }
    void TearDown() override { step_kernel_limit = step_kernels::best; }

    simulation_settings s;
    terrain t;
};

TEST_F(GenerationAlgorithms, ASeedReproducesTheTerrain) {
    // Random Points draws four values a point, Faulting six a fault, Perlin Noise one seed.
    const uint64_t draws[3] = {4 * 300, 6 * 300, 1};
    for (int algorithm : {kAlgorithmRandomPoints, kAlgorithmFaulting, kAlgorithmPerlinNoise}) {
        SCOPED_TRACE("algorithm " + std::to_string(algorithm));
        const std::vector<float> a = Generate(t, algorithm, 1234);
        EXPECT_EQ(KR::GetRandomState(), KR::RandomStateAfter(1234, draws[algorithm]));
        const std::vector<float> b = Generate(t, algorithm, 1234);
        const std::vector<float> c = Generate(t, algorithm, 4321);
        EXPECT_TRUE(SameBits(a, b));
        EXPECT_FALSE(SameBits(a, c));
        const auto [lo, hi] = std::minmax_element(a.begin(), a.end());
        EXPECT_EQ(*lo, 0.0f);
        EXPECT_FLOAT_EQ(*hi, 20.0f);
    }
}

TEST_F(GenerationAlgorithms, NoPointsOrFaultsGiveFlatGround) {
    t.generation.detail = 0;
    t.generation.min = 3.0f;
    for (int algorithm : {kAlgorithmRandomPoints, kAlgorithmFaulting})
        EXPECT_EQ(Generate(t, algorithm, 5), std::vector<float>(40 * 30, 0.0f));
}

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
    for (int k = 0; k < detail; ++k) {
        p.push_back(random(-m, diag + m));
        p.push_back(random(-m, diag + m));
        p.push_back(random(-1, 1));
        p.push_back(random(r0 / 10, r0));
    }
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

TEST_F(GenerationAlgorithms, RandomPointsAgreeForAnyThreadsAndVectorWidth) {
    // 75 columns leave partial vector blocks at the row ends.
    const int X = 75, Y = 23, detail = 200;
    const std::vector<float> expected = PlainRandomPoints(X, Y, detail, 7);
    for (int threads : {1, 2, 3})
        for (step_kernels limit : {step_kernels::best, step_kernels::avx2, step_kernels::plain}) {
            t.SetStepThreads(threads);
            step_kernel_limit = limit;
            terrain_generation_info g;
            g.x = X;
            g.y = Y;
            g.detail = detail;
            g.InitData();
            KR::RandomSeed(7);
            ASSERT_EQ(t.GenerateTerrainRandomPoint(g), 1);
            EXPECT_TRUE(SameBits(std::vector<float>(g.grid.get(), g.grid.get() + X * Y), expected))
                << threads << " threads, kernel limit " << int(limit);
        }
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
                if (e < 0) {
                    e += 2 * dy;
                } else {
                    e += 2 * (dy - dx);
                    y += ystep;
                }
            }
        }
    }
    return grid;
}

TEST_F(GenerationAlgorithms, FaultingSkipsOnlyStepsOutsideTheGrid) {
    for (auto [W, H, detail] : {std::array{37, 23, 60}, {20, 50, 40}, {64, 64, 30}}) {
        terrain_generation_info g;
        g.x = W;
        g.y = H;
        g.detail = detail;
        g.InitData();
        KR::RandomSeed(W + H);
        ASSERT_EQ(t.GenerateTerrainFaulting(g), 1);
        const std::vector<float> grid(g.grid.get(), g.grid.get() + g.Cells());
        EXPECT_TRUE(SameBits(grid, PlainFaulting(W, H, detail, W + H))) << W << " x " << H;
        EXPECT_GT(*std::max_element(grid.begin(), grid.end()), 0.0f);
    }
}

// The whole generation from its definition: the algorithm's grid, rescaled onto
// [0, max - min] and multiplied by the shape's factor (pi = 3.1415927, X/2 and Y/2 whole
// numbers), for both sizes' orders, every shape, both random algorithms and several seeds.
TEST_F(GenerationAlgorithms, EveryHeightFollowsTheDefinitionForEachShape) {
    const double pi = 3.1415927;
    auto c = [](double a) { return (std::cos(a) + 1) / 2; };
    const struct {
        int algorithm, X, Y, detail, seed, shape;
        float min, max;
    } cases[] = {
        {kAlgorithmRandomPoints, 23, 17, 40, 3, kShapeMountain, 2, 30},
        {kAlgorithmFaulting, 16, 31, 25, 9, kShapeLake, 0, 20},
        {kAlgorithmRandomPoints, 12, 12, 15, 5, kShapeValley, 1, 11},
        {kAlgorithmFaulting, 30, 12, 15, 2, kShapeEdge, 0, 50},
        {kAlgorithmFaulting, 11, 10, 30, 77, kShapeFlat, 5, 6},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE("algorithm " + std::to_string(k.algorithm) + ", shape " +
                     std::to_string(k.shape));
        std::vector<float> h = k.algorithm == kAlgorithmRandomPoints
                                   ? PlainRandomPoints(k.X, k.Y, k.detail, k.seed)
                                   : PlainFaulting(k.X, k.Y, k.detail, k.seed);
        const auto [lo, hi] = std::minmax_element(h.begin(), h.end());
        const float low = *lo, scale = (k.max - k.min) / (*hi - low);
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
        t.generation.x = k.X;
        t.generation.y = k.Y;
        t.generation.detail = k.detail;
        t.generation.type = k.shape;
        t.generation.min = k.min;
        t.generation.max = k.max;
        const std::vector<float> made = Generate(t, k.algorithm, k.seed);
        ASSERT_EQ(made.size(), h.size());
        for (size_t n = 0; n < h.size(); ++n)
            ASSERT_NEAR(made[n], h[n], 2e-5f * (k.max - k.min)) << "cell " << n;
    }
}

TEST_F(GenerationAlgorithms, PerlinNoiseDoesNotDependOnThreads) {
    const std::vector<float> one = Generate(t, kAlgorithmPerlinNoise, 11);
    t.SetStepThreads(2);
    EXPECT_TRUE(SameBits(Generate(t, kAlgorithmPerlinNoise, 11), one));
}

// --- the rebuilt terrain ----------------------------------------------------------------

TEST_F(GenerationAlgorithms, ReplacesTerrainFloodsAndResetsTheView) {
    t.AddBall();
    t.view = KR::Vector4(12, 34, 56, 7);
    t.sun = KR::Vector4(1, 2, 3, 4);
    t.generation.type = kShapeMountain;
    const std::vector<float> h = Generate(t, kAlgorithmPerlinNoise, 21);

    EXPECT_EQ(t.cluster_count, 1u);
    EXPECT_EQ(t.extent.x, 40.0f);
    EXPECT_EQ(t.extent.y, 30.0f);
    EXPECT_EQ(t.ObjectCount(), 0);
    EXPECT_EQ(t.selected, nullptr);
    EXPECT_EQ(t.ready, 1u);
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
            ASSERT_TRUE(g >= 0.0f && g <= 1.5f * 20.0f);
            ASSERT_EQ(c.read_field->GetWater(i + 1, j + 1), std::max(0.0f, 10.0f - g));
            ASSERT_EQ(c.vertex_data[c.terrain_pos_offset + 3 * (j * 40 + i) + 2], g);
        }
    EXPECT_EQ(*std::min_element(h.begin(), h.end()), 0.0f);  // shapes keep the lowest at 0
}

TEST_F(GenerationAlgorithms, EachSmoothingPassIsASmoothAndAHandOver) {
    Generate(t, kAlgorithmPerlinNoise, 8);
    t.SmoothTerrain();
    t.UpdateBuffers();
    t.SmoothTerrain();
    t.UpdateBuffers();
    const std::vector<float> by_hand = Heights(t);

    t.generation.smooth = 2;
    const std::vector<float> smoothed = Generate(t, kAlgorithmPerlinNoise, 8);
    EXPECT_TRUE(SameBits(smoothed, by_hand));
    EXPECT_EQ(t.clusters[0].read_field, &t.clusters[0].fields[0]);  // swapped twice
}

TEST_F(GenerationAlgorithms, UncheckedSizesAreHeldInRange) {
    t.generation.x = 0;
    t.generation.y = 5000;
    t.generation.detail = -8;
    Generate(t, kAlgorithmRandomPoints, 1);
    EXPECT_EQ(t.extent.x, 10.0f);
    EXPECT_EQ(t.extent.y, 1024.0f);
}

// --- import -----------------------------------------------------------------------------

struct scripted_files : file_name_provider {
    bool Ask(const file_request& r, std::string& file_name) override {
        ++asked;
        request = r;
        if (answer.empty()) return false;
        file_name = answer;
        return true;
    }
    std::string answer;
    file_request request;
    int asked = 0;
};

// An image w x h of one grey, with pixel (i, j) set to (r, g, b).
rgba_image Image(int w, int h, uint8_t grey, int i = -1, int j = -1, uint8_t r = 0, uint8_t g = 0,
                 uint8_t b = 0) {
    rgba_image image;
    image.width = w;
    image.height = h;
    for (int k = 0; k < w * h; ++k)
        image.pixels.insert(image.pixels.end(), {grey, grey, grey, 17});
    if (i >= 0) {
        uint8_t* p = &image.pixels[(size_t(j) * w + i) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
    return image;
}

class GenerationImport : public GenerationAlgorithms {
  protected:
    void SetUp() override {
        GenerationAlgorithms::SetUp();
        t.generation.x = 10;
        t.generation.y = 10;
        t.generation.max = 765.0f;
        t.generation.algorithm = kAlgorithmImportBitmap;
        t.file_names = &files;
        t.import_image = [this](const std::string& name) {
            opened.push_back(name);
            return image;
        };
        std::vector<float> flat(25 * 20, 3.0f);
        t.BuildFromHeights(flat.data(), 25, 20);
        t.AddBall();
        t.view = KR::Vector4(1, 2, 3, 4);
    }

    void ExpectUntouched() {
        EXPECT_EQ(t.extent.x, 25.0f);
        EXPECT_EQ(Heights(t), std::vector<float>(25 * 20, 3.0f));
        EXPECT_EQ(t.ObjectCount(), 1);
        ExpectVector(t.view, {1, 2, 3, 4});
        EXPECT_EQ(t.generation.grid, nullptr);
    }

    scripted_files files;
    rgba_image image;
    std::vector<std::string> opened;
};

TEST_F(GenerationImport, CancelChangesNothing) {
    t.GenerateTerrain();
    EXPECT_EQ(files.asked, 1);
    std::string dialog = files.request.title;
    for (const file_filter& f : files.request.filters)
        dialog += "|" + f.label + "|" + f.pattern;
    EXPECT_EQ(dialog, "Import|Windows Bitmap (*.bmp)|*.bmp|All Files (*.*)       |*.*");
    EXPECT_TRUE(files.request.must_exist && files.request.hide_read_only);
    EXPECT_TRUE(opened.empty());
    ExpectUntouched();

    t.file_names = nullptr;  // nobody to ask counts as a cancel
    t.GenerateTerrain();
    ExpectUntouched();
}

TEST_F(GenerationImport, ExactSizeIsTakenPixelForPixel) {
    files.answer = "hills.bmp";
    image = Image(10, 10, 0, 3, 2, 255, 255, 255);
    t.GenerateTerrain();
    EXPECT_EQ(opened, std::vector<std::string>{"hills.bmp"});
    std::vector<float> expected(100, 0.0f);
    expected[2 * 10 + 3] = 765.0f;  // white; alpha plays no part
    EXPECT_EQ(Heights(t), expected);
}

TEST_F(GenerationImport, OtherSizesAreRescaled) {
    files.answer = "big.bmp";
    // 20 x 20 in 2 x 2 blocks: halving gives each block's colour.
    image = Image(20, 20, 0);
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 20; ++i)
            image.pixels[(size_t(j) * 20 + i) * 4] = uint8_t((i / 2 + j / 2) * 10);
    t.GenerateTerrain();
    const std::vector<float> h = Heights(t);
    ASSERT_EQ(h.size(), 100u);
    const float scale = 765.0f / 180.0f;  // normalisation of red 0 ... 180
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i)
            ASSERT_FLOAT_EQ(h[j * 10 + i], float((i + j) * 10) * scale) << i << "," << j;
}

TEST_F(GenerationImport, ReaderFailuresLeaveTheTerrain) {
    files.answer = "broken.bmp";
    t.import_image = [](const std::string& name) -> rgba_image {
        throw KR::ErrorFile("KR::Texture::load_bmp", ": Can't open file!", name);
    };
    EXPECT_THROW(t.GenerateTerrain(), KR::ErrorFile);
    ExpectUntouched();

    // A reader whose sizes promise more pixels than it delivers.
    t.import_image = [](const std::string&) {
        rgba_image short_image = Image(10, 10, 5);
        short_image.pixels.resize(10 * 9 * 4);
        return short_image;
    };
    EXPECT_THROW(t.GenerateTerrain(), KR::Error);
    ExpectUntouched();
}

}  // namespace
