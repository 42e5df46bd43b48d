// The graphics environment: its parameter table, the light book, and loading a texture
// file through it with its defaults.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "kr/gl/environment.h"
#include "kr/image_samples.h"
#include "kr/test_files.h"
#include "support/gl_test.h"

namespace {

using EnvironmentGL = QorTest::GLTest;

TEST_F(EnvironmentGL, ParametersTakeOnlyTheirAcceptedValuesAndLightsAreHandedOutOnce) {
    KR::Environment env;
    env.init();
    const struct {
        int index, value, accepted;
    } params[] = {{KR::kParamMagFilter, GL_NEAREST_MIPMAP_NEAREST, 0},
                  {KR::kParamMagFilter, GL_NEAREST, 1},
                  {KR::kParamMinFilter, GL_NEAREST_MIPMAP_LINEAR, 1},
                  {KR::kParamMinFilter, GL_REPEAT, 0},
                  {KR::kParamFitWidth, 300, 0},
                  {KR::kParamFitWidth, 0, 0},
                  {KR::kParamMaxHeight, 2048, 1},
                  {KR::kParamFitMode, 4, 0},
                  {KR::kParamFitMode, 3, 1},
                  {KR::kParamTexEnvMode, GL_ADD, 0},
                  {KR::kParamTexEnvMode, GL_DECAL, 1},
                  {KR::kParamTransparentIndex, 999, 1},
                  // Unlisted and out-of-range indices.
                  {1, 5, 0},
                  {17, 5, 0},
                  {32, 5, 0},
                  {49, 5, 0},
                  {-1, 5, 0}};
    for (const auto& p : params)
        EXPECT_EQ(env.SetParam(p.index, p.value), p.accepted) << p.index << ": " << p.value;
    EXPECT_EQ(env.GetParam(1), 0);
    EXPECT_EQ(env.GetParam(KR::kParamMagFilter), GL_NEAREST);
    EXPECT_EQ(env.texture_defaults().max_height, 2048);
    EXPECT_EQ(env.texture_defaults().transparent_index, 999);

    GLint max_lights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &max_lights);
    ASSERT_EQ(env.light_count, max_lights);
    for (int i = 0; i < max_lights; ++i)
        EXPECT_EQ(env.AllocLight(), i);
    EXPECT_EQ(env.AllocLight(), -1);
    EXPECT_EQ(env.FreeLight(2), 1);
    EXPECT_EQ(env.AllocLight(), 2);
    EXPECT_EQ(env.FreeLight(-1), -1);
    EXPECT_EQ(env.FreeLight(max_lights), -1);
}

TEST_F(EnvironmentGL, LoadingThroughTheEnvironmentScalesBuildsAndTakesItsDefaults) {
    KR::Environment env;
    env.init();
    qor_test::BmpSample bmp;
    bmp.width = 3;
    bmp.height = 5;
    bmp.rows.assign(3 * 5 * 3, 128);
    const std::string file = qor_test::ScratchFile("grey.bmp");
    qor_test::WriteBytes(file, qor_test::BmpBytes(bmp));

    KR::Texture* t = env.load_texture(GL_TEXTURE_2D, file.c_str(), "Grey",
                                      KR::kTextureScale | KR::kTextureBuild);
    EXPECT_STREQ(t->name, "Grey");
    EXPECT_EQ(env.textures.First(), t);
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->height, 8);
    EXPECT_EQ(t->min_filter, uint32_t(GL_LINEAR_MIPMAP_NEAREST));
    GLint mag = 0;
    t->bind();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_LINEAR);

    // Without the flags the image is only loaded; the name defaults to the file's.
    KR::Texture* raw = env.load_texture(GL_TEXTURE_2D, file.c_str(), nullptr, 0);
    EXPECT_EQ(raw->texture_name, 0u);
    EXPECT_EQ(raw->width, 3);
    EXPECT_EQ(std::string(raw->name), file.substr(0, 31));
    env.release();
    EXPECT_EQ(env.textures.First(), nullptr);
}

}  // namespace
