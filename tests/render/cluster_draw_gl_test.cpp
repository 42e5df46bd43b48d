// One cluster drawn off-screen on both paths, judged by the pixels read back.

#include <cmath>
#include <functional>

#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/math/matrix.h"
#include "support/gl_scene_test.h"
#include "support/gl_test.h"
#include "terrain/cluster.h"
#include "terrain/scene_colors.h"
#include "terrain/simulation_settings.h"

namespace {

constexpr int kSide = 256;  // pixels
constexpr int kGrid = 64;   // grid points; the columns left of 34 lie under water

struct rgb {
    float r = 0, g = 0, b = 0;
    float Sum() const { return r + g + b; }
};
using pixel_test = std::function<bool(const rgb&)>;

struct image {
    std::vector<uint8_t> pixels;  // RGB, bottom row first
    rgb At(int x, int y) const {
        const uint8_t* p = &pixels[3 * (size_t(y) * kSide + x)];
        return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
    }
    rgb Mean(int x, int y) const {  // over 13 x 13 pixels
        rgb m;
        for (int j = y - 6; j <= y + 6; ++j)
            for (int i = x - 6; i <= x + 6; ++i)
                m.r += At(i, j).r, m.g += At(i, j).g, m.b += At(i, j).b;
        return {m.r / 169, m.g / 169, m.b / 169};
    }
    int Count(const pixel_test& test) const {
        int n = 0;
        for (int k = 0; k < kSide * kSide; ++k)
            n += test(At(k % kSide, k / kSide));
        return n;
    }
};

// The pixels of the columns left of `width` whose brightness differs between a and b.
int Changed(const image& a, const image& b, int width) {
    int n = 0;
    for (int k = 0; k < kSide * width; ++k)
        n += std::fabs(a.At(k % width, k / width).Sum() - b.At(k % width, k / width).Sum()) > 0.05f;
    return n;
}

struct shot {
    float pitch = 0;       // degrees; 0 looks straight down, else from the south
    float zenith = 30;     // of the sun
    int shadows = 0;       // argument of the draw
    bool casters = false;  // the shadow casters in white instead
    float floor = 2;       // depth of the box below the lowest ground
};

class ClusterDraw : public QorTest::GLTest {
  protected:
    static void SetUpTestSuite() {
        if (!QorTest::UseGLContext()) return;
        QorTest::SetUpSmallScene();
        configured = display;
        configured.show_sky = 0;
        target = new QorTest::DrawTarget(kSide);
        // Deep water on the left, a dry slope rising to the right, waves in the ground.
        std::vector<float> h(kGrid * kGrid);
        for (int r = 0; r < kGrid; ++r)
            for (int c = 0; c < kGrid; ++c)
                h[r * kGrid + c] = 4.0f + 0.6f * float(std::max(c - 24, 0)) +
                                   0.8f * std::sin(0.4f * c) * std::cos(0.3f * r);
        grid.SetExtent(KR::Vector2(0, 0), KR::Vector2(kGrid, kGrid), kGrid, kGrid);
        grid.GenerateTerrain(h.data(), kGrid);
        float z_max = -1e30f;
        grid.RefreshBuffers(sim_settings, z_min, z_max);
    }
    static void TearDownTestSuite() {
        if (!target) return;
        delete target;
        graphics::ReleaseOpenGL();
    }
    void SetUp() override {
        GLTest::SetUp();
        display = configured;
        sim_settings = simulation_settings{};
    }

    // Looks at the middle of the grid from 80 units away, lit by the sun as the frame does.
    image Draw(const shot& o = {}) {
        target->Bind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_NORMALIZE);

        const float p = o.pitch * 3.14159265f / 180;
        const KR::Vector4 at(kGrid / 2, kGrid / 2, 10);
        const camera_info camera{KR::Vector4(0, o.pitch, 80, 0), at,
                                 at + KR::Vector4(0, -80 * std::sin(p), 80 * std::cos(p)), 1, 300};
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45, 1, camera.near, camera.far);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, at.x, at.y, at.z, 0, 1, 0);

        const float b = SunBrightness(o.zenith);
        const KR::Vector4 sun =
            (KR::Matrix4x4::RotationZ(120) * KR::Matrix4x4::RotationX(o.zenith)).Transform(0, 0, 1);
        const float position[4] = {sun.x, sun.y, sun.z, 0};
        const float ambient[4] = {0.3f * b, 0.3f * b, 0.3f * b, 1}, diffuse[4] = {b, b, b, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glEnable(GL_LIGHT0);

        if (o.casters) {
            glColor3f(1, 1, 1);
            grid.DrawShadowCasters(z_min - o.floor);
        } else {
            grid.Draw(camera, at, KR::Vector4(120, o.zenith, 0), o.shadows, z_min - o.floor);
        }
        return {QorTest::ReadPixels(0, 0, kSide, kSide)};
    }

    static inline display_settings configured;
    static inline QorTest::DrawTarget* target = nullptr;
    static inline cluster grid;
    static inline float z_min = 1e30f;
};

// Screen columns seen from above: deep water, the shore (flooded left of it), dry ground.
constexpr int kWaterX = 50, kShoreX = 120, kDryX = 206;

TEST_F(ClusterDraw, WaterShowsThePresetTintAndTheSunItsLightOnBothPaths) {
    ASSERT_EQ(graphics::shaders_ok, 1);
    for (int use_shaders : {0, 1}) {
        display = configured;
        display.use_shaders = use_shaders;
        SCOPED_TRACE(use_shaders ? "shaders" : "fixed functions");
        const auto water = [&](int colour) {
            display.water_color = colour;
            return Draw().Mean(kWaterX, 128);
        };
        const rgb blood = water(kWaterBlood), milk = water(kWaterMilk),
                  lagoon = water(kWaterLagoon);
        const image lagoon_image = Draw();
        EXPECT_GT(blood.r, 1.5f * std::max(blood.g, blood.b));
        EXPECT_GT(milk.Sum(), 1.5f * lagoon.Sum());
        EXPECT_GT(std::min(lagoon.g, lagoon.b), 1.2f * lagoon.r);
        // The sun at the horizon darkens the water (the ground follows the test's own light).
        EXPECT_LT(Draw({.zenith = 90}).Mean(kWaterX, 128).Sum(), 0.5f * lagoon.Sum());

        // Without the water the submerged ground shows, fading into the water colour with
        // depth; the dry ground stays as it was.
        display.show_water = 0;
        const image ground = Draw();
        EXPECT_GT(Changed(ground, lagoon_image, kShoreX), kShoreX * kSide / 3);
        EXPECT_NEAR(ground.Mean(kDryX, 128).Sum(), lagoon_image.Mean(kDryX, 128).Sum(), 0.01f);
        // With shadows on, the ground is first drawn for the ambient light alone: no water.
        display.show_water = display.show_shadows = 1;
        EXPECT_TRUE(use_shaders || Draw().pixels == ground.pixels);  // fixed path only
    }
}

TEST_F(ClusterDraw, EachDebugViewAddsLinesOfItsColour) {
    vertex_2d_field& field = *grid.read_field;
    auto set_flows = [&](float east, float south) {
        for (int y = 1; y <= kGrid; ++y)
            for (int x = 1; x <= kGrid; ++x) {
                field.Flow(0)[field.Index(x, y)] = east;
                field.Flow(3)[field.Index(x, y)] = south;
            }
    };
    set_flows(1.5f, 0.5f);
    display.show_terrain = display.show_water = 0;
    auto colour = [](float r, float g, float b) -> pixel_test {
        return [=](const rgb& p) {
            return std::fabs(p.r - r) < 0.15f && std::fabs(p.g - g) < 0.15f &&
                   std::fabs(p.b - b) < 0.15f;
        };
    };
    // Terrain and water normals run from one colour to another: their middles are tested.
    const std::pair<uint32_t, pixel_test> views[] = {
        {8, colour(1, 1, 0)},        {16, colour(0.5f, 0.5f, 1)}, {4, colour(1, 1, 1)},
        {1, colour(1, 0, 0)},        {1, colour(1, 1, 0)},        {2, colour(0, 1, 1)},
        {32, colour(1, 0.5f, 0.5f)}, {64, colour(0, 0.5f, 0.5f)},
    };
    for (const auto& [bit, test] : views) {
        display.show_debug = bit;
        EXPECT_GT(Draw({.pitch = 50}).Count(test), 100) << "view " << bit;
    }
    set_flows(0, 0);
}

TEST_F(ClusterDraw, TreesGrowOnTheDrySlopeOnly) {
    display.show_water = 0;  // a tree in the flooded part would show
    const image bare = Draw();
    display.show_vegetation = 1;
    const image trees = Draw();
    const pixel_test green = [](const rgb& p) { return p.g > p.r + 0.1f && p.g > p.b + 0.1f; };
    EXPECT_GT(trees.Count(green), bare.Count(green) + 300);
    EXPECT_EQ(Changed(trees, bare, kShoreX - 10), 0);  // nothing over the water
}

TEST_F(ClusterDraw, ShadowCastersAreTheGroundAndTheWallsDownToTheFloor) {
    const pixel_test covered = [](const rgb& p) { return p.Sum() > 0.02f; };
    display.show_water = 0;
    const int scene = Draw({.pitch = 70}).Count(covered);
    const int casters = Draw({.pitch = 70, .casters = true}).Count(covered);
    EXPECT_NEAR(casters, scene, scene / 100);
    // The near wall reaches down to the floor of the box.
    EXPECT_GT(Draw({.pitch = 70, .casters = true, .floor = 12}).Count(covered), casters + 1000);
}

TEST_F(ClusterDraw, LeavesNoSwitchOnAndNoProgramInUse) {
    display.show_shadows = display.show_vegetation = 1;
    display.show_debug = 127;
    sim_settings.aquarium = 1;
    for (int use_shaders : {0, 1}) {
        display.use_shaders = use_shaders;
        Draw({.pitch = 50, .shadows = 1});
        for (int unit = 3; unit >= 0; --unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            for (GLenum cap : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP,
                               GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_BLEND,
                               GL_LIGHTING, GL_FOG, GL_ALPHA_TEST, GL_VERTEX_ARRAY})
                EXPECT_FALSE(glIsEnabled(cap))
                    << use_shaders << " unit " << unit << " " << std::hex << cap;
        }
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        EXPECT_EQ(program, 0);
        float matrix[16];
        glGetFloatv(GL_TEXTURE_MATRIX, matrix);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(matrix[i], i % 5 == 0 ? 1.0f : 0.0f);
    }
}

}  // namespace
