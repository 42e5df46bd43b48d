// The OpenGL side of textures: every build path, fitting to powers of two and reading the
// frame buffer back, on the shared test context.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/power_of_two.h"
#include "kr/image/texture.h"
#include "support/gl_test_context.h"

namespace {

using KR::Texture;
using KR::TextureDefaults;

// A texture of the given shape whose texel i holds bytes (i, 2i, 3i, 255) mod 256.
void FillPattern(Texture& t, uint32_t target, int w, int h, int d, int sides = 1) {
    t.set_format(GL_RGBA, target, w, h, d);
    const size_t texels = size_t(w) * h * (d > 0 ? d : 1) * sides;
    t.data.reset(new uint8_t[texels * 4]);
    for (size_t i = 0; i < texels; ++i) {
        t.data[4 * i + 0] = uint8_t(i);
        t.data[4 * i + 1] = uint8_t(2 * i);
        t.data[4 * i + 2] = uint8_t(3 * i);
        t.data[4 * i + 3] = 255;
    }
}

std::vector<uint8_t> ReadLevel(GLenum target, int level, size_t bytes) {
    std::vector<uint8_t> texels(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(target, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

GLint LevelWidth(GLenum target, int level) {
    GLint w = 0;
    glGetTexLevelParameteriv(target, level, GL_TEXTURE_WIDTH, &w);
    return w;
}

class TextureGL : public ::testing::Test {
  protected:
    void SetUp() override {
        QorTest::RequireGLContext();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }
};

TEST_F(TextureGL, EveryTargetUploadsItsTexelsWithAndWithoutMipmaps) {
    struct Case {
        uint32_t target;
        int w, h, d, sides;
    };
    const Case cases[] = {{GL_TEXTURE_1D, 16, 1, 0, 1},
                          {GL_TEXTURE_2D, 8, 4, 0, 1},
                          {GL_TEXTURE_3D, 4, 4, 8, 1},
                          {GL_TEXTURE_CUBE_MAP, 8, 8, 0, 6}};
    for (const bool mipmaps : {false, true}) {
        TextureDefaults env;
        env.build_mipmaps = mipmaps;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "target " << c.target << " mipmaps " << mipmaps);
            Texture t;
            FillPattern(t, c.target, c.w, c.h, c.d, c.sides);
            t.build_texture(env);
            ASSERT_NE(t.texture_name, 0u);
            ASSERT_TRUE(glIsTexture(t.texture_name));
            const size_t layer = t.side_bytes() * (c.d > 0 ? c.d : 1);
            for (int side = 0; side < c.sides; ++side) {
                const GLenum face = c.target == GL_TEXTURE_CUBE_MAP
                                        ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + side
                                        : c.target;
                const auto texels = ReadLevel(face, 0, layer);
                EXPECT_EQ(0, std::memcmp(texels.data(), t.data.get() + layer * side, layer));
                EXPECT_EQ(LevelWidth(face, 1), mipmaps ? c.w / 2 : 0);
            }
        }
    }
}

TEST_F(TextureGL, BuildingAgainReplacesTheTextureObjectAndResetDeletesIt) {
    Texture t;
    FillPattern(t, GL_TEXTURE_2D, 4, 4, 0);
    t.build_texture(TextureDefaults{});
    const GLuint first = t.texture_name;
    t.build_texture(TextureDefaults{});
    EXPECT_FALSE(glIsTexture(first) && first != t.texture_name);
    const GLuint second = t.texture_name;
    t.reset();
    EXPECT_EQ(t.texture_name, 0u);
    EXPECT_FALSE(glIsTexture(second));
}

TEST_F(TextureGL, SidesThatAreNoPowerOfTwoAreScaledBeforeBuilding) {
    TextureDefaults env;
    Texture t;
    FillPattern(t, GL_TEXTURE_2D, 300, 200, 0);
    t.build_texture(env);
    EXPECT_EQ(t.width, 512);
    EXPECT_EQ(t.height, 256);
    t.bind();
    EXPECT_EQ(LevelWidth(GL_TEXTURE_2D, 0), 512);

    // Already powers of two: built as they are, even above the largest fitted size.
    Texture big;
    FillPattern(big, GL_TEXTURE_2D, 2048, 8, 0);
    big.build_texture(env);
    EXPECT_EQ(big.width, 2048);
    // Fitting alone brings it down to the largest size.
    big.scale_to_tex(env);
    EXPECT_EQ(big.width, 1024);
    EXPECT_EQ(big.height, 8);

    // A cube map scales every side; a uniform colour stays that colour.
    Texture cube;
    cube.set_format(GL_RGBA, GL_TEXTURE_CUBE_MAP, 6, 3, 0);
    cube.data.reset(new uint8_t[6 * 3 * 4 * 6]);
    for (int i = 0; i < 6 * 3 * 6; ++i) {
        const uint8_t side = uint8_t(i / 18);
        const uint8_t texel[4] = {uint8_t(10 * side), 7, 200, 255};
        std::memcpy(cube.data.get() + 4 * i, texel, 4);
    }
    cube.scale_to_tex(env);
    ASSERT_EQ(cube.width, 8);
    ASSERT_EQ(cube.height, 4);
    for (int side = 0; side < 6; ++side) {
        const uint8_t* texel = cube.data.get() + cube.side_bytes() * side + 4 * 13;
        EXPECT_EQ(texel[0], 10 * side);
        EXPECT_EQ(texel[1], 7);
        EXPECT_EQ(texel[2], 200);
    }
}

TEST_F(TextureGL, BuildRefusesWhatItCannotUpload) {
    TextureDefaults env;
    Texture t;
    try {
        t.build_texture(env);
        FAIL() << "an empty texture was built";
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(), "KR::Texture::build_texture: no data!");
    }
    FillPattern(t, GL_TEXTURE_1D, 300, 1, 0);
    try {
        t.build_texture(env);
        FAIL() << "a 1D texture of 300 texels was built";
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(), "KR::Texture::scale_to_tex: Bad texture type.");
    }
    // A buffer from outside with sides that need fitting would be read past its end.
    Texture outside;
    outside.set_format(GL_RGBA, GL_TEXTURE_2D, 3, 3, 0);
    const std::vector<uint8_t> pixels(3 * 3 * 4, 9);
    EXPECT_THROW(outside.build_texture(env, pixels.data()), KR::Error);
    EXPECT_EQ(outside.texture_name, 0u);
    // With power-of-two sides the outside buffer is what is uploaded.
    outside.set_format(GL_RGBA, GL_TEXTURE_2D, 2, 2, 0);
    outside.build_texture(env, pixels.data());
    EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, 0, 16), std::vector<uint8_t>(16, 9));
}

TEST_F(TextureGL, TheFrameBufferIsReadBackAsA2DTexture) {
    GLuint fbo = 0, colour = 0;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 16, 16);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(4, 2, 3, 3);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    Texture t;
    t.get_from_buffer(3, 8, 2, 4);
    EXPECT_EQ(t.target, uint32_t(GL_TEXTURE_2D));
    ASSERT_EQ(t.width, 5);
    ASSERT_EQ(t.height, 2);
    for (int x = 0; x < 5; ++x) {
        const uint8_t* texel = t.data.get() + 4 * x;
        const bool blue = x >= 1 && x <= 3;
        EXPECT_EQ(texel[0], blue ? 0 : 255) << x;
        EXPECT_EQ(texel[2], blue ? 255 : 0) << x;
    }
    EXPECT_THROW(t.get_from_buffer(5, 5, 0, 1), KR::Error);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &colour);
}

// Draws into a small frame buffer with pixel coordinates and reads pixels back.
class DrawTarget {
  public:
    DrawTarget() {
        glGenFramebuffers(1, &fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~DrawTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteRenderbuffers(1, &colour);
    }
    std::vector<uint8_t> Pixel(int x, int y) const {
        std::vector<uint8_t> rgba(4);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }
    static constexpr int kSize = 32;

  private:
    GLuint fbo = 0, colour = 0;
};

TEST_F(TextureGL, DrawingHelpersPutTheTexelsWhereTheySay) {
    DrawTarget target;
    Texture t;
    FillPattern(t, GL_TEXTURE_2D, 4, 2, 0);
    auto texel = [&](int x, int y) {
        const uint8_t* p = t.data.get() + 4 * (y * 4 + x);
        return std::vector<uint8_t>(p, p + 4);
    };

    // The buffer as pixels, zoomed three times, from (8, 8).
    t.draw_pixels(8.0f, 8.0f, 3.0f, 3.0f);
    EXPECT_EQ(target.Pixel(8, 8), texel(0, 0));
    EXPECT_EQ(target.Pixel(8 + 3 * 3 + 1, 8 + 3 + 1), texel(3, 1));
    EXPECT_EQ(target.Pixel(8 + 12, 8), std::vector<uint8_t>(4, 0));

    // One tile: tiles of 2 x 1 texels, column 1 of row 1 is texels (2, 1) and (3, 1).
    t.tile_width = 2;
    t.tile_height = 1;
    glRasterPos2f(0.0f, 0.0f);
    t.draw_tile(1, 1);
    EXPECT_EQ(target.Pixel(0, 0), texel(2, 1));
    EXPECT_EQ(target.Pixel(1, 0), texel(3, 1));
    EXPECT_EQ(target.Pixel(2, 0), std::vector<uint8_t>(4, 0));
    t.draw_tile(2, 0);  // outside the image: nothing is drawn
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A quad with the texture stretched over it: corner texels land at the corners.
    TextureDefaults env;
    env.build_mipmaps = false;
    t.build_texture(env);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    t.draw_quad(16.0f, 16.0f, 24.0f, 20.0f);
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(target.Pixel(16, 16), texel(0, 0));
    EXPECT_EQ(target.Pixel(23, 19), texel(3, 1));
}

TEST(PowerOfTwo, FittingRules) {
    using KR::FitPowerOfTwo;
    using KR::PowerOfTwoRule;
    EXPECT_EQ(FitPowerOfTwo(300, PowerOfTwoRule::NextLarger, 1024), 512);
    EXPECT_EQ(FitPowerOfTwo(512, PowerOfTwoRule::NextLarger, 1024), 512);
    EXPECT_EQ(FitPowerOfTwo(1, PowerOfTwoRule::NextLarger, 1024), 1);
    EXPECT_EQ(FitPowerOfTwo(2048, PowerOfTwoRule::NextLarger, 1024), 1024);
    EXPECT_EQ(FitPowerOfTwo(300, PowerOfTwoRule::NextSmaller, 1024), 256);
    EXPECT_EQ(FitPowerOfTwo(1, PowerOfTwoRule::NextSmaller, 1024), 2);
    EXPECT_EQ(FitPowerOfTwo(5000, PowerOfTwoRule::NextSmaller, 1024), 1024);
}

}  // namespace
