// Loading a texture file through the graphics environment, with its defaults.

#include "kr/gl/environment.h"
#include "kr/image_samples.h"
#include "support/gl_test.h"

namespace {

using EnvironmentGL = QorTest::GLTest;

TEST_F(EnvironmentGL, LoadingThroughTheEnvironmentScalesBuildsAndTakesItsDefaults) {
    KR::Environment env;
    env.init();
    QorTest::BmpSample bmp;
    bmp.width = 3;
    bmp.height = 5;
    bmp.rows.assign(3 * 5 * 3, 128);
    const std::string file = QorTest::ScratchFile("grey.bmp");
    QorTest::WriteBytes(file, QorTest::BmpBytes(bmp));

    KR::Texture* t = env.load_texture(GL_TEXTURE_2D, file.c_str(), "Grey",
                                      KR::kTextureScale | KR::kTextureBuild);
    EXPECT_STREQ(t->name, "Grey");
    EXPECT_EQ(env.textures.First(), t);
    EXPECT_EQ(std::pair(t->width, t->height), std::pair(4, 8));
    EXPECT_EQ(t->min_filter, uint32_t(GL_LINEAR_MIPMAP_NEAREST));
    GLint mag = 0;
    t->bind();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_LINEAR);

    env.release();
    EXPECT_EQ(env.textures.First(), nullptr);
}

}  // namespace
