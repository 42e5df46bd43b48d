#include "kr/gl/environment.h"

#include <GL/glew.h>

#include <new>
#include <string>

#include "kr/base/error.h"

namespace KR {

Environment environment;

bool IsEnvPowerOfTwo(int32_t v) {
    return v > 0 && (v & (v - 1)) == 0;
}

Environment::Environment() = default;

// The environment outlives the context at program end; release() has run by then.
Environment::~Environment() = default;

void Environment::init() {
    for (int32_t& p : params)
        p = 0;
    params[kParamFormat] = GL_RGBA;
    params[kParamFitMode] = 0;
    params[kParamFitWidth] = 256;
    params[kParamFitHeight] = 256;
    params[kParamWrap] = GL_REPEAT;
    params[kParamMagFilter] = GL_LINEAR;
    params[kParamMinFilter] = GL_LINEAR_MIPMAP_NEAREST;
    params[kParamTexEnvMode] = GL_MODULATE;
    params[kParamMaxWidth] = 1024;
    params[kParamMaxHeight] = 1024;
    params[kParamBuildMipmaps] = 1;
    params[kParamTransparentIndex] = 0;
    params[kParamMaterialMask] = -1;

    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    GLint max_lights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &max_lights);
    light_count = max_lights > 0 ? max_lights : 0;
    lights.reset(new (std::nothrow) uint8_t[size_t(light_count) + 1]());
    if (!lights)
        throw ErrorMem("KR::Environment::init", "Not enough memory: Light database",
                       uint32_t(light_count));
}

void Environment::release() {
    shaders.clear();
    materials.clear();
    textures.clear();
}

int Environment::SetParam(int index, int value) {
    switch (index) {
        case kParamFormat:
        case kParamWrap:
        case kParamBuildMipmaps:
        case kParamTransparentIndex:
        case kParamMaterialMask:
            break;
        case kParamMaxWidth:
        case kParamMaxHeight:
        case kParamFitWidth:
        case kParamFitHeight:
            if (!IsEnvPowerOfTwo(value)) return 0;
            break;
        case kParamMagFilter:
            if (value != GL_NEAREST && value != GL_LINEAR) return 0;
            break;
        case kParamMinFilter:
            if (value != GL_NEAREST && value != GL_LINEAR && value != GL_NEAREST_MIPMAP_LINEAR &&
                value != GL_LINEAR_MIPMAP_NEAREST && value != GL_LINEAR_MIPMAP_LINEAR &&
                value != GL_NEAREST_MIPMAP_NEAREST)
                return 0;
            break;
        case kParamTexEnvMode:
            if (value != GL_DECAL && value != GL_REPLACE && value != GL_MODULATE &&
                value != GL_BLEND)
                return 0;
            break;
        case kParamFitMode:
            if (value < 0 || value > 3) return 0;
            break;
        default:
            return 0;
    }
    params[index] = value;
    return 1;
}

TextureDefaults Environment::texture_defaults() const {
    TextureDefaults d;
    d.format = uint32_t(params[kParamFormat]);
    d.wrap = uint32_t(params[kParamWrap]);
    d.mag_filter = uint32_t(params[kParamMagFilter]);
    d.min_filter = uint32_t(params[kParamMinFilter]);
    d.build_mipmaps = params[kParamBuildMipmaps] == 1;
    d.pow2_rule =
        params[kParamFitMode] == 1 ? PowerOfTwoRule::NextSmaller : PowerOfTwoRule::NextLarger;
    d.max_width = params[kParamMaxWidth];
    d.max_height = params[kParamMaxHeight];
    d.fallback_width = params[kParamFitWidth];
    d.fallback_height = params[kParamFitHeight];
    d.transparent_index = params[kParamTransparentIndex];
    return d;
}

int Environment::AllocLight() {
    for (int i = 0; i < light_count; ++i) {
        if (lights[i] == 0) {
            lights[i] = 1;
            return i;
        }
    }
    return -1;
}

int Environment::FreeLight(int index) {
    if (index < 0 || index >= light_count) return -1;
    lights[index] = 0;
    return 1;
}

Texture* Environment::load_texture(uint32_t type, const char* file, const char* name, int flags) {
    Texture* texture = textures.add(name ? name : file);
    const TextureDefaults defaults = texture_defaults();
    texture->load(type, file, defaults);
    texture->apply_defaults(defaults);
    if (flags & kTextureScale) texture->scale_to_tex(defaults);
    if (flags & kTextureBuild) texture->build_texture(defaults);
    return texture;
}

Shader* Environment::load_shader(const char* name, const char* vertex_file,
                                 const char* fragment_file, int from_file) {
    Shader* shader = shaders.add(name);
    shader->Load(kVertexShader, vertex_file, from_file);
    shader->Load(kFragmentShader, fragment_file, from_file);
    if (!shader->Link()) throw Error("KR::Environment::load_shader", ":  Link failed!");
    return shader;
}

}  // namespace KR
