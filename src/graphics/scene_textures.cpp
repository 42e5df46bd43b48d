#include "graphics/scene_textures.h"

#include <GL/glew.h>

#include <cstring>

#include "graphics/graphics_state.h"
#include "kr/base/error.h"
#include "kr/gl/environment.h"
#include "kr/procedural/procedural_textures.h"

namespace graphics {
namespace {

constexpr uint32_t kContourLength = 512;
constexpr uint32_t kTerrainMainSize = 512;

// The 4 x 4 ordered-dither matrix (Bayer times 16), rows bottom-up as stored.
constexpr uint8_t kDither[16] = {0,  192, 48, 240, 128, 64, 176, 112,
                                 32, 224, 16, 208, 160, 96, 144, 80};

KR::TextureDefaults BuildOptions(bool mipmaps) {
    KR::TextureDefaults options = KR::environment.texture_defaults();
    options.build_mipmaps = mipmaps;
    return options;
}

}  // namespace

void Upload(KR::Texture& texture, KR::ProceduralImage image, bool mipmaps) {
    texture.data = std::move(image.data);
    texture.build_texture(BuildOptions(mipmaps));
}

KR::Texture* NamedTexture(const char* name) {
    for (KR::Texture* t = KR::environment.textures.First(); t; t = KR::environment.textures.Next())
        if (std::strcmp(t->name, name) == 0) return t;
    return KR::environment.textures.add(name);
}

void CreateShadowTexture(int32_t size, bool float_texels) {
    if (gl_state.shadow_texture == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        if (name == 0) throw KR::Error("SetUpOpenGL", ": Can't create shadow texture.");
        gl_state.shadow_texture = name;
    }
    glBindTexture(GL_TEXTURE_2D, gl_state.shadow_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, size, size, 0, GL_DEPTH_COMPONENT,
                 float_texels ? GL_FLOAT : GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

KR::Texture* CreateDitherTexture() {
    KR::Texture* t = NamedTexture("Dither");
    t->set_format(GL_RGBA, GL_TEXTURE_2D, 4, 4, 0);
    t->set_wrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
    t->set_filter(GL_LINEAR, GL_LINEAR);
    t->data.reset(new uint8_t[16 * 4]);
    for (int i = 0; i < 16; ++i)
        std::memset(t->data.get() + 4 * i, kDither[i], 4);
    t->build_texture(BuildOptions(false));
    return t;
}

KR::Texture* CreateContourTexture() {
    KR::Texture* t = NamedTexture("Height01");
    t->set_format(GL_RGBA, GL_TEXTURE_1D, kContourLength, 1, 0);
    t->set_wrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
    t->set_filter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    Upload(*t,
           KR::GenerateTimed(KR::ContoursIntro(kContourLength),
                             [] { return KR::CreateNoiseMap1D(kContourLength, 200, 255, true); }),
           true);
    return t;
}

KR::Texture* CreateTerrainMainTexture() {
    KR::Texture* t = NamedTexture("TerrainMain");
    t->set_format(GL_RGBA, GL_TEXTURE_2D, kTerrainMainSize, kTerrainMainSize, 0);
    t->set_wrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
    t->set_filter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    Upload(*t,
           KR::GenerateTimed(
               KR::TerrainMainIntro(kTerrainMainSize),
               [] { return KR::CreateTerrainDetailMap(kTerrainMainSize, 150, 255, true); }),
           true);
    return t;
}

KR::Texture* CreateWaterWaveTexture(int32_t size, int32_t frames) {
    KR::Texture* t = NamedTexture("WaterWaveNormals");
    t->set_format(GL_RGBA, GL_TEXTURE_3D, size, size, frames);
    t->set_wrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
    t->set_filter(GL_LINEAR, GL_LINEAR);
    Upload(
        *t,
        KR::GenerateTimed(
            KR::WaterSurfaceIntro(uint32_t(size), uint32_t(frames)),
            [=] { return KR::CreateWaterWaveNormalMap(uint32_t(size), uint32_t(frames), true); }),
        false);
    return t;
}

}  // namespace graphics
