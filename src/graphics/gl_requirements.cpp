#include "graphics/gl_requirements.h"

#include <string>

#include "kr/base/console.h"
#include "kr/base/error.h"

namespace graphics {
namespace {

constexpr int kMinimalTextureUnits = 4;
constexpr int kFullQualityTextureUnits = 8;

void Require(bool present, const char* detail) {
    if (!present) throw KR::Error("SetUpOpenGL", detail);
}

}  // namespace

void CheckOpenGLRequirements(const gl_capabilities& caps) {
    Require(caps.multitexture, ": GL_ARB_multitexture not supported!");
    if (caps.texture_units < kMinimalTextureUnits)
        throw KR::Error("SetUpOpenGL",
                        ": GL_ARB_multitexture:  Not enough multitextures supported. For minimal "
                        "configuration are needed 4, only " +
                            std::to_string(caps.texture_units) + " detected.");
    if (caps.texture_units < kFullQualityTextureUnits)
        KR::console << "Not enough texture units! For best visual quality 8 units are required "
                       "but only "
                    << caps.texture_units << " were detected. Running in restricted mode.\n";
    Require(caps.separate_specular, ": GL_EXT_separate_specular not supported.");
    Require(caps.fog_coord, ": GL_EXT_fog_coord not supported.");
    Require(caps.cube_map, ": GL_ARB_texture_cube_map not supported.");
    Require(caps.texture_3d, ": GL_EXT_texture3D not supported.");
    Require(caps.shadow, ": GL_ARB_shadow not supported.");
}

}  // namespace graphics
