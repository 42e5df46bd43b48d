#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/scene_textures.h"
#include "graphics/texture_sizes.h"
#include "kr/procedural/procedural_textures.h"
#include "kr/image/texture.h"
#include "terrain/app_settings.h"

namespace graphics {
namespace {

KR::Texture* SkyBoxTexture(const char* name, int32_t size, uint32_t wrap) {
    KR::Texture* t = NamedTexture(name);
    t->set_format(GL_RGBA, GL_TEXTURE_CUBE_MAP, size, size, 0);
    t->set_wrap(wrap, wrap, wrap);
    t->set_filter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    return t;
}

}  // namespace

void CreateSkyBoxTextures(int32_t size, float clouds, float turbulence, float stars) {
    if (size < 1) size = textures.skybox_size;
    if (clouds < 0) clouds = textures.skybox_clouds;
    if (turbulence < 0) turbulence = textures.skybox_turbulence;
    if (stars < 0) stars = textures.skybox_stars;
    size = FitSkyBoxSize(size);

    KR::Texture* sky = SkyBoxTexture("SkyBoxClouds", size, GL_CLAMP_TO_EDGE);
    Upload(*sky,
           KR::GenerateTimed(
               KR::SkyBoxCloudsIntro(uint32_t(size)),
               [=] { return KR::CreateSkyBoxClouds(uint32_t(size), clouds, turbulence, true); }),
           true);
    gl_state.tex_sky_clouds = sky;

    KR::Texture* space = SkyBoxTexture("SkyBoxSpace", size, GL_REPEAT);
    Upload(*space,
           KR::GenerateTimed(KR::SkyBoxSpaceIntro(uint32_t(size)),
                             [=] { return KR::CreateSkyBoxStars(uint32_t(size), stars, true); }),
           true);
    gl_state.tex_sky_space = space;
}

}  // namespace graphics
