// The OpenGL side of textures: every build path, fitting to powers of two, reading the frame
// buffer back and the drawing helpers, on the shared test context.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/power_of_two.h"
#include "kr/image/texture.h"
#include "support/gl_test.h"

namespace {

using KR::Texture;
using KR::TextureDefaults;
using TextureGL = QorTest::GLTest;

// A texture of the given shape whose texel i holds bytes (i, 2i, 3i, 255) mod 256.
void FillPattern(Texture& t, uint32_t target, int w, int h, int d, int sides = 1) {
    t.set_format(GL_RGBA, target, w, h, d);
    const size_t texels = size_t(w) * h * (d > 0 ? d : 1) * sides;
    t.data.reset(new uint8_t[texels * 4]);
    for (size_t i = 0; i < texels; ++i) {
        const uint8_t texel[4] = {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 255};
        std::memcpy(&t.data[4 * i], texel, 4);
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

TEST_F(TextureGL, EveryTargetUploadsItsTexelsWithAndWithoutMipmaps) {
    const struct {
        uint32_t target;
        int w, h, d, sides;
    } cases[] = {{GL_TEXTURE_1D, 16, 1, 0, 1},
                 {GL_TEXTURE_2D, 8, 4, 0, 1},
                 {GL_TEXTURE_3D, 4, 4, 8, 1},
                 {GL_TEXTURE_CUBE_MAP, 8, 8, 0, 6}};
    for (const bool mipmaps : {false, true}) {
        TextureDefaults env;
        env.build_mipmaps = mipmaps;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "target " << c.target << " mipmaps " << mipmaps);
            Texture t;
            FillPattern(t, c.target, c.w, c.h, c.d, c.sides);
            t.build_texture(env);
            ASSERT_TRUE(t.texture_name != 0 && glIsTexture(t.texture_name));
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
    // Building again replaces the texture object; reset deletes it.
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

    // Already powers of two: built as they are, even above the largest fitted size; fitting
    // alone brings them down to it.
    Texture big;
    FillPattern(big, GL_TEXTURE_2D, 2048, 8, 0);
    big.build_texture(env);
    EXPECT_EQ(big.width, 2048);
    big.scale_to_tex(env);
    EXPECT_EQ(big.width, 1024);
    EXPECT_EQ(big.height, 8);

    // A cube map scales every side; a uniform colour stays that colour.
    Texture cube;
    cube.set_format(GL_RGBA, GL_TEXTURE_CUBE_MAP, 6, 3, 0);
    cube.data.reset(new uint8_t[6 * 3 * 4 * 6]);
    for (int i = 0; i < 6 * 3 * 6; ++i) {
        const uint8_t texel[4] = {uint8_t(10 * (i / 18)), 7, 200, 255};
        std::memcpy(cube.data.get() + 4 * i, texel, 4);
    }
    cube.scale_to_tex(env);
    ASSERT_EQ(cube.width, 8);
    ASSERT_EQ(cube.height, 4);
    for (int side = 0; side < 6; ++side) {
        const uint8_t* texel = cube.data.get() + cube.side_bytes() * side + 4 * 13;
        EXPECT_EQ(std::vector<uint8_t>(texel, texel + 3),
                  (std::vector<uint8_t>{uint8_t(10 * side), 7, 200}));
    }

    using KR::FitPowerOfTwo;
    using Rule = KR::PowerOfTwoRule;
    const struct {
        int size;
        Rule rule;
        int fitted;
    } fits[] = {{300, Rule::NextLarger, 512},   {512, Rule::NextLarger, 512},
                {1, Rule::NextLarger, 1},       {2048, Rule::NextLarger, 1024},
                {300, Rule::NextSmaller, 256},  {1, Rule::NextSmaller, 2},
                {5000, Rule::NextSmaller, 1024}};
    for (const auto& f : fits)
        EXPECT_EQ(FitPowerOfTwo(f.size, f.rule, 1024), f.fitted) << f.size;
}

TEST_F(TextureGL, BuildRefusesWhatItCannotUpload) {
    TextureDefaults env;
    Texture t;
    auto error_of = [&](const uint8_t* pixels = nullptr) -> std::string {
        try {
            t.build_texture(env, pixels);
        } catch (const KR::Error& e) {
            return e.Message();
        }
        return "";
    };
    EXPECT_EQ(error_of(), "KR::Texture::build_texture: no data!");
    FillPattern(t, GL_TEXTURE_1D, 300, 1, 0);
    EXPECT_EQ(error_of(), "KR::Texture::scale_to_tex: Bad texture type.");
    // A buffer from outside with sides that need fitting would be read past its end.
    t.data.reset();
    t.set_format(GL_RGBA, GL_TEXTURE_2D, 3, 3, 0);
    const std::vector<uint8_t> pixels(3 * 3 * 4, 9);
    EXPECT_NE(error_of(pixels.data()), "");
    EXPECT_EQ(t.texture_name, 0u);
    // With power-of-two sides the outside buffer is what is uploaded.
    t.set_format(GL_RGBA, GL_TEXTURE_2D, 2, 2, 0);
    EXPECT_EQ(error_of(pixels.data()), "");
    EXPECT_EQ(ReadLevel(GL_TEXTURE_2D, 0, 16), std::vector<uint8_t>(16, 9));
}

TEST_F(TextureGL, FrameBufferReadBackAndDrawingHelpersPutTheTexelsWhereTheySay) {
    QorTest::DrawTarget target(32);
    glEnable(GL_SCISSOR_TEST);
    glScissor(4, 2, 3, 3);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    Texture back;
    back.get_from_buffer(3, 8, 2, 4);
    EXPECT_EQ(back.target, uint32_t(GL_TEXTURE_2D));
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 2);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(back.data[4 * x + 2], x >= 1 && x <= 3 ? 255 : 0) << x;
    EXPECT_THROW(back.get_from_buffer(5, 5, 0, 1), KR::Error);

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 32, 0, 32, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Texture t;
    FillPattern(t, GL_TEXTURE_2D, 4, 2, 0);
    auto texel = [&](int x, int y) {
        const uint8_t* p = t.data.get() + 4 * (y * 4 + x);
        return std::vector<uint8_t>(p, p + 4);
    };
    const auto pixel = [](int x, int y) { return QorTest::ReadPixels(x, y, 1, 1, GL_RGBA); };
    const std::vector<uint8_t> none(4, 0);
    // The buffer as pixels, zoomed three times, from (8, 8).
    t.draw_pixels(8.0f, 8.0f, 3.0f, 3.0f);
    EXPECT_EQ(pixel(8, 8), texel(0, 0));
    EXPECT_EQ(pixel(8 + 3 * 3 + 1, 8 + 3 + 1), texel(3, 1));
    EXPECT_EQ(pixel(8 + 12, 8), none);
    // One tile: tiles of 2 x 1 texels, column 1 of row 1 is texels (2, 1) and (3, 1).
    t.tile_width = 2;
    t.tile_height = 1;
    glRasterPos2f(0.0f, 0.0f);
    t.draw_tile(1, 1);
    EXPECT_EQ(pixel(0, 0), texel(2, 1));
    EXPECT_EQ(pixel(1, 0), texel(3, 1));
    EXPECT_EQ(pixel(2, 0), none);
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
    EXPECT_EQ(pixel(16, 16), texel(0, 0));
    EXPECT_EQ(pixel(23, 19), texel(3, 1));
}

}  // namespace
