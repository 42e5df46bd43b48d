// The generated post-processing program: it builds, falls back, and draws the chosen colours.
#include "graphics/postprocessing_program.h"

#include "graphics/gl_capabilities.h"
#include "graphics/scene_programs.h"
#include "kr/gl/shader.h"
#include "support/console_capture.h"
#include "support/gl_test.h"

namespace {

class PostProcProgram : public QorTest::GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        graphics::gl_caps = graphics::ReadGLCapabilities();
    }
    void TearDown() override {
        graphics::ReleasePostProcessing();
        graphics::postproc = {};
        graphics::shaders_ok = 0;
        GLTest::TearDown();
    }
    QorTest::ScratchWorkingFolder folder;  // where the generator writes its two files
};

// True when the program generated for the settings built and linked.
::testing::AssertionResult Builds(const graphics::postproc_settings& settings) {
    graphics::postproc = settings;
    graphics::shaders_ok = 1;
    QorTest::ConsoleCapture log;
    graphics::GeneratePostProcessing();
    GLint linked = 0;
    glGetObjectParameterivARB(graphics::postproc_program->program, GL_OBJECT_LINK_STATUS_ARB,
                              &linked);
    if (graphics::shaders_ok == 1 && linked) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << log.str();
}

TEST_F(PostProcProgram, EveryTransformAndConvolutionBuildsWithVariedCheckBoxes) {
    ASSERT_TRUE(Builds({}));
    const KR::Shader* program = graphics::postproc_program;
    // Four check-box sets per pair; 37 is odd, so the 252 builds meet all 64 sets.
    for (int t = 0; t < graphics::kPostProcTransforms; ++t)
        for (int c = 0; c < graphics::kPostProcConvolutions; ++c)
            for (int r = 0; r < 4; ++r) {
                const int b = ((t * graphics::kPostProcConvolutions + c) * 4 + r) * 37 % 64;
                EXPECT_TRUE(Builds({.options = {t, c, (b & 1) != 0, (b & 2) != 0, (b & 4) != 0,
                                                (b & 8) != 0, (b & 16) != 0, (b & 32) != 0}}))
                    << "transform " << t << ", convolution " << c << ", boxes " << b;
            }
    EXPECT_EQ(graphics::postproc_program, program);  // the frame holds on to it
}

TEST_F(PostProcProgram, AFailedBuildIsLoggedAndSwitchesTheShadersOff) {
    const std::string broken = "void main(void) { gl_FragColor = undeclared; }";
    const std::string lines =
        "\nProblems with post processing shaders:Could not link.\nUsing fixed functionality!\n";
    for (const bool rebuild : {false, true}) {
        if (rebuild) graphics::GeneratePostProcessing();
        graphics::shaders_ok = 1;
        QorTest::ConsoleCapture log;
        graphics::BuildPostProcessing(graphics::PostProcVertexText(), broken);
        const std::string text = log.str();
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), lines.size())), lines)
            << "rebuild " << rebuild;
        EXPECT_EQ(graphics::shaders_ok, 0);
        EXPECT_EQ(QorTest::ReadBytes("postproc.frag"), broken);
        graphics::ReleasePostProcessing();
    }
    // Without shader objects nothing is written or built.
    graphics::gl_caps.shader_objects = false;
    std::filesystem::remove("postproc.frag");
    graphics::shaders_ok = 1;
    graphics::GeneratePostProcessing();
    EXPECT_EQ(graphics::postproc_program, nullptr);
    EXPECT_FALSE(std::filesystem::exists("postproc.frag"));
    EXPECT_EQ(graphics::shaders_ok, 1);
}

// Draws the program over a 32 x 8 image whose left half is (204, 51, 102) and right half
// (51, 102, 204), with a dither texel of 128 on unit 2, and reads the pixel at (4, 4). The
// kernels' weights are pinned by the text test; here the samplers, uniforms and the pass.
TEST_F(PostProcProgram, DrawsTheChosenColours) {
    constexpr int kW = 32, kH = 8;
    const uint8_t left[4] = {204, 51, 102, 255}, right[4] = {51, 102, 204, 255};
    std::vector<uint8_t> image(kW * kH * 4);
    for (int i = 0; i < kW * kH; ++i)
        std::copy_n(i % kW < kW / 2 ? left : right, 4, &image[i * 4]);
    const uint8_t dither[4] = {128, 128, 128, 255};
    GLuint names[2];
    glGenTextures(2, names);
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, dither);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, names[0]);
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, parameter, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, kW, kH, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.data());
    glViewport(0, 0, kW, kH);

    const struct {
        const char* name;
        graphics::postproc_settings settings;
        int rgb[3];
    } cases[] = {
        {"plain", {}, {204, 51, 102}},
        {"hue turned by 120",
         {.options = {.hsl_shift = true}, .HSL = {120, 1, 1, 0}},
         {102, 204, 51}},
        {"no saturation", {.options = {.hsl_shift = true}, .HSL = {0, 0, 1, 0}}, {128, 128, 128}},
        {"dithered dark", {.options = {.matrix_dithering = true}}, {0, 0, 0}},
        {"inverted, then dithered light",
         {.options = {.invert = true, .matrix_dithering = true}},
         {255, 255, 255}},
        // A lens of no strength samples the centre everywhere, here in the right half.
        {"lens on the centre",
         {.options = {.transform = 1}, .mid = {0.75f, 0.5f}, .param = {0.5f, 0.0f}},
         {51, 102, 204}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Builds(c.settings)) << c.name;
        graphics::postproc_program->Use();
        graphics::SetPostProcUniforms(kW, kH, 0.0f);
        glBegin(GL_QUADS);
        const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (const auto& p : corners) {
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB, p[0] * kW, p[1] * kH);
            glMultiTexCoord2fARB(GL_TEXTURE2_ARB, p[0], p[1]);
            glVertex2f(p[0] * 2 - 1, p[1] * 2 - 1);
        }
        glEnd();
        const std::vector<uint8_t> pixel = QorTest::ReadPixels(4, 4);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(pixel[i], c.rgb[i], 2) << c.name << ", " << i;
    }
    glDeleteTextures(2, names);
}

}  // namespace
