#include "kr/gl/material_fields.h"

#include <GL/glew.h>

#include <algorithm>
#include <iterator>

namespace KR {
namespace {

void Set4(float* c, float r, float g, float b, float a) {
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

}  // namespace

void MaterialFields::ResetToDefaults() {
    face = GL_FRONT;
    alpha_func = GL_GREATER;
    alpha_ref = 0.5f;
    tex_env_mode = GL_MODULATE;
    blend_src = GL_SRC_ALPHA;
    blend_dst = GL_ONE_MINUS_SRC_ALPHA;
    shade_model = GL_SMOOTH;
    Set4(ambient, 0.3f, 0.3f, 0.3f, 1.0f);
    Set4(diffuse, 0.7f, 0.7f, 0.7f, 1.0f);
    Set4(specular, 0.7f, 0.7f, 0.7f, 1.0f);
    shininess = 10.0f;
    Set4(emission, 0.0f, 0.0f, 0.0f, 1.0f);
    Set4(env_color, 1.0f, 1.0f, 1.0f, 1.0f);
    Set4(color, 0.7f, 0.7f, 0.7f, 1.0f);
    flags = kMatDefaultFlags;
}

float* MaterialFields::Color(uint32_t which) {
    switch (which) {
        case kMatAmbient:
            return ambient;
        case kMatDiffuse:
            return diffuse;
        case kMatSpecular:
            return specular;
        case kMatEmission:
            return emission;
        case kMatEnvColor:
            return env_color;
        case kMatColor:
            return color;
        default:
            return nullptr;
    }
}

const float* MaterialFields::Color(uint32_t which) const {
    return const_cast<MaterialFields*>(this)->Color(which);
}

bool IsMaterialFace(uint32_t value) {
    return value == GL_FRONT || value == GL_BACK || value == GL_FRONT_AND_BACK;
}

bool IsMaterialAlphaFunc(uint32_t value) {
    return value >= GL_NEVER && value <= GL_ALWAYS;
}

bool IsMaterialBlendSrc(uint32_t value) {
    static constexpr uint32_t kAccepted[] = {GL_ZERO,
                                             GL_ONE,
                                             GL_DST_COLOR,
                                             GL_ONE_MINUS_DST_COLOR,
                                             GL_SRC_ALPHA,
                                             GL_ONE_MINUS_SRC_ALPHA,
                                             GL_DST_ALPHA,
                                             GL_ONE_MINUS_DST_ALPHA,
                                             GL_SRC_ALPHA_SATURATE};
    return std::find(std::begin(kAccepted), std::end(kAccepted), value) != std::end(kAccepted);
}

bool IsMaterialBlendDst(uint32_t value) {
    static constexpr uint32_t kAccepted[] = {GL_ZERO,      GL_ONE,
                                             GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                             GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                             GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
    return std::find(std::begin(kAccepted), std::end(kAccepted), value) != std::end(kAccepted);
}

bool IsMaterialTexEnvMode(uint32_t value) {
    return value == GL_DECAL || value == GL_REPLACE || value == GL_MODULATE || value == GL_BLEND;
}

bool IsMaterialShadeModel(uint32_t value) {
    return value == GL_FLAT || value == GL_SMOOTH;
}

bool IsMaterialShininess(float value) {
    return value >= 0.0f && value <= 128.0f;  // false for NaN too
}

}  // namespace KR
