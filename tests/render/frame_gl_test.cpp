// The whole frame on a small scene: sky, post-processing, stage checks, picking, capture.

#include <array>
#include <cmath>
#include <ctime>

#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "render/capture.h"
#include "support/gl_scene_test.h"
#include "support/gl_test.h"
#include "terrain/terrain.h"

namespace {

constexpr int kView = 256;

class Frame : public QorTest::GLTest {
  protected:
    static void SetUpTestSuite() {
        if (!QorTest::UseGLContext()) return;
        QorTest::SetUpSmallScene();
        graphics::view_layout layout;
        layout.client_width = layout.client_height = kView;
        graphics::UpdateView(layout);
    }
    static void TearDownTestSuite() {
        if (QorTest::UseGLContext()) graphics::ReleaseOpenGL();
    }

    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        // A 64 x 64 valley flooded to 10: a ridge along x = 32 rising to 25.
        std::vector<float> heights(64 * 64);
        for (size_t k = 0; k < heights.size(); ++k)
            heights[k] = 25.0f - std::abs(int(k % 64) - 32) * 0.8f;
        t.settings = &s;
        t.BuildFromHeights(heights.data(), 64, 64);
        t.sun = KR::Vector4(-45, 30, 0, 0);
    }
    void TearDown() override {
        display = saved;
        graphics::postproc.options = {};
        GLTest::TearDown();
    }

    // The r, g, b and sum of the pixel at (x, y) of the last frame, y up; the whole frame.
    static std::array<int, 4> Pixel(int x, int y) {
        const std::vector<uint8_t> p = QorTest::ReadPixels(x, y);
        return {p[0], p[1], p[2], p[0] + p[1] + p[2]};
    }
    static std::vector<uint8_t> Image() { return QorTest::ReadPixels(0, 0, kView, kView); }
    // Looks straight down on the lake west of the ridge, where a ball of the size floats.
    Ball* BallOverTheLake(float z, float size) {
        t.view = KR::Vector4(0, 0, 80, 0);
        t.view_pos = KR::Vector4(10, 32, 0, 0);
        Ball* ball = t.AddBall();
        ball->position = KR::Vector4(10, 32, z, 0);
        ball->size = size;
        return ball;
    }

    simulation_settings s;
    display_settings saved = display;
    terrain t;
};

TEST_F(Frame, SkyAboveTheHorizonAndPostProcessingFiltersThePlainImage) {
    ASSERT_EQ(graphics::shaders_ok, 1);  // the sources beside the tests built
    t.view = KR::Vector4(0, 88, 60, 0);  // nearly horizontal, looking north over the valley
    t.Draw();
    EXPECT_GT(Pixel(kView / 2, kView - 4)[3], 60) << "no sky above the horizon";
    display.show_sky = 0;
    t.Draw();
    EXPECT_LT(Pixel(kView / 2, kView - 4)[3], 10) << "the sky is still drawn";

    const std::vector<uint8_t> plain = Image();
    display.postproc_enable = 1;
    graphics::postproc.options.invert = true;
    graphics::GeneratePostProcessing();
    t.Draw();
    const std::vector<uint8_t> inverted = Image();
    int off = 0;
    for (size_t k = 0; k < plain.size(); ++k)
        off += std::abs(int(plain[k]) + int(inverted[k]) - 255) > 3;
    EXPECT_LT(off, int(plain.size() / 100)) << "invert is not 255 - plain";

    // Switched on but without shaders, nothing is post-processed.
    display.use_shaders = 0;
    t.Draw();
    const std::vector<uint8_t> fixed = Image();
    display.postproc_enable = 0;
    t.Draw();
    EXPECT_EQ(Image(), fixed);
}

TEST_F(Frame, AnErrorLeftPendingNamesTheStage) {
    glEnable(GL_TEXTURE_2D + 12345);  // an invalid enum, pending when the frame starts
    EXPECT_EQ(QorTest::ErrorOf([&] { t.Draw(); }),
              "terrain.cpp: Draw(): Main GL check (start): GL_INVALID_ENUM");
}

TEST_F(Frame, PickingSelectsTheNearestObjectAndBareGroundClearsIt) {
    // The balls float inside the scene's box, which the camera fits its planes to.
    Ball* low = BallOverTheLake(12, 2);
    Ball* high = BallOverTheLake(20, 2);  // first in the list, above the other
    t.TakeObjectSnapshot();               // as the hand-over does
    t.Pick(kView, kView, kView / 2, kView / 2);
    EXPECT_EQ(t.selected, high);
    // Same depth: the later one in the list wins.
    low->position.z = high->position.z;
    t.TakeObjectSnapshot();
    t.Pick(kView, kView, kView / 2, kView / 2);
    EXPECT_EQ(t.selected, low);
    // Bare ground, and outside the scene: nothing.
    t.Pick(kView, kView, kView - 10, kView / 2);
    EXPECT_EQ(t.selected, nullptr);
    t.selected = high;
    t.view = KR::Vector4(0, 88, 60, 0);  // nearly horizontal: the top row shows only sky
    t.Pick(kView, kView, kView / 2, 3);
    EXPECT_EQ(t.selected, nullptr);
}

TEST_F(Frame, ObjectsAreGreyCubesRedWhenSelectedAndFoodIsAGreenTuft) {
    display.show_sky = display.show_water = display.show_terrain = 0;
    Ball* ball = BallOverTheLake(12, 3);
    t.TakeObjectSnapshot();
    t.Draw();
    const auto grey = Pixel(kView / 2, kView / 2);
    EXPECT_TRUE(grey[0] > 60 && std::abs(grey[0] - grey[1]) < 8 && std::abs(grey[1] - grey[2]) < 8)
        << testing::PrintToString(grey);
    t.selected = ball;
    t.TakeObjectSnapshot();
    t.Draw();
    const auto red = Pixel(kView / 2, kView / 2);
    EXPECT_TRUE(red[0] > 60 && red[1] < 10 && red[2] < 10) << testing::PrintToString(red);

    t.RemoveAllObjects();
    AgentFood* food = t.AddAgentFood();
    food->position = KR::Vector4(10, 32, 12, 0);
    food->amount() = 4;
    t.TakeObjectSnapshot();
    t.Draw();
    int green = 0, other = 0;  // other: any lit pixel not green
    const std::vector<uint8_t> image = Image();
    for (size_t k = 0; k < image.size(); k += 3)
        (image[k + 1] > 100 && image[k] < 20 && image[k + 2] < 20 ? green : other) +=
            image[k] + image[k + 1] + image[k + 2] > 30;
    EXPECT_GT(green, 20);
    EXPECT_EQ(other, 0);
}

TEST_F(Frame, TheRidgeShadowsItsFarSideOnBothPaths) {
    // Dry flat ground at 15 with a wall 15 higher along x = 30 ... 33.
    std::vector<float> heights(64 * 64);
    for (size_t k = 0; k < heights.size(); ++k)
        heights[k] = k % 64 >= 30 && k % 64 <= 33 ? 30.0f : 15.0f;
    t.BuildFromHeights(heights.data(), 64, 64);
    display.show_sky = 0;
    t.sun = KR::Vector4(-90, 60, 0, 0);  // in the west, 30 degrees high
    t.view = KR::Vector4(0, 0, 30, 0);   // straight down east of the wall
    t.view_pos = KR::Vector4(42, 32, 0, 0);
    auto brightness = [&] {
        t.Draw();
        return Pixel(kView / 2, kView / 2)[3];
    };
    for (int shaders : {1, 0}) {
        display.use_shaders = shaders;
        display.show_shadows = 0;
        const int lit = brightness();
        display.show_shadows = 1;
        const int shadowed = brightness();
        EXPECT_LT(shadowed, lit * 3 / 4) << "shaders " << shaders;
        EXPECT_GT(shadowed, 0) << "shaders " << shaders;
    }
}

TEST_F(Frame, CaptureWritesTheViewAsABitmap) {
    t.view = KR::Vector4(0, 45, 90, 0);
    t.Draw();
    const std::string file = QorTest::ScratchFile("capture.bmp");
    EXPECT_EQ(render::CaptureScene(file.c_str()), file);
    const std::string bytes = QorTest::ReadBytes(file);
    ASSERT_EQ(bytes.size(), 54u + size_t(kView) * kView * 3);
    const std::vector<uint8_t> image = Image();
    // The file's rows are the view's, bottom row first, as B, G, R.
    EXPECT_EQ((unsigned char)bytes[54], image[2]);
    EXPECT_EQ((unsigned char)bytes[56], image[0]);
    // The name carries the local date and time it is taken at.
    const auto stamp = [] {
        char text[32];
        const std::time_t now = std::time(nullptr);
        std::strftime(text, sizeof text, "capture-%y%m%d-%H%M%S.bmp", std::localtime(&now));
        return std::string(text);
    };
    const std::string before = stamp(), name = render::CaptureFileName(), after = stamp();
    EXPECT_TRUE(name == before || name == after) << name;
    EXPECT_THROW(render::CaptureScene("/nonexistent-folder/x.bmp"), KR::Error);
}

}  // namespace
