// The OpenGL side of textures: every build path and fitting to powers of two.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kr/base/error.h"
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

TEST_F(TextureGL, SidesThatAreNoPowerOfTwoAreScaledBeforeBuildingOrRefused) {
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

    // What cannot be uploaded is refused by name.
    auto error_of = [&env](Texture& t) -> std::string {
        try {
            t.build_texture(env);
        } catch (const KR::Error& e) {
            return e.Message();
        }
        return "";
    };
    Texture none, line;
    EXPECT_EQ(error_of(none), "KR::Texture::build_texture: no data!");
    FillPattern(line, GL_TEXTURE_1D, 300, 1, 0);
    EXPECT_EQ(error_of(line), "KR::Texture::scale_to_tex: Bad texture type.");
}

}  // namespace
