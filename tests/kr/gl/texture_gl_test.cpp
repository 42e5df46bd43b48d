// The OpenGL side of textures: every build path and fitting to powers of two.

#include <cstring>

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
                std::vector<uint8_t> texels(layer);
                glGetTexImage(face, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
                EXPECT_EQ(0, std::memcmp(texels.data(), t.data.get() + layer * side, layer));
                EXPECT_EQ(LevelWidth(face, 1), mipmaps ? c.w / 2 : 0);
            }
        }
    }
}

TEST_F(TextureGL, SidesThatAreNoPowerOfTwoAreScaledBeforeBuildingOrRefused) {
    TextureDefaults env;
    Texture t;
    FillPattern(t, GL_TEXTURE_2D, 300, 200, 0);
    t.build_texture(env);
    EXPECT_EQ(std::pair(t.width, t.height), std::pair(512, 256));
    t.bind();
    EXPECT_EQ(LevelWidth(GL_TEXTURE_2D, 0), 512);

    // Already powers of two: built as they are, even above the largest fitted size; fitting
    // alone brings them down to it.
    Texture big;
    FillPattern(big, GL_TEXTURE_2D, 2048, 8, 0);
    big.build_texture(env);
    EXPECT_EQ(big.width, 2048);
    big.scale_to_tex(env);
    EXPECT_EQ(std::pair(big.width, big.height), std::pair(1024, 8));
    // Building again replaces the texture object; reset deletes it.
    const GLuint first = big.texture_name;
    big.build_texture(env);
    EXPECT_FALSE(glIsTexture(first) && first != big.texture_name);
    const GLuint second = big.texture_name;
    big.reset();
    EXPECT_EQ(big.texture_name, 0u);
    EXPECT_FALSE(glIsTexture(second));

    // What cannot be uploaded is refused by name.
    Texture none, line;
    EXPECT_EQ(QorTest::ErrorOf([&] { none.build_texture(env); }),
              "KR::Texture::build_texture: no data!");
    FillPattern(line, GL_TEXTURE_1D, 300, 1, 0);
    EXPECT_EQ(QorTest::ErrorOf([&] { line.build_texture(env); }),
              "KR::Texture::scale_to_tex: Bad texture type.");
}

}  // namespace
