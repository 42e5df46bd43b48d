#pragma once
// The plain values of a material, everything but its display list: what a material record
// holds, their defaults and the values each OpenGL field accepts. Nothing here calls OpenGL,
// so records can be written, read and checked without a context.

#include <cstdint>

#include "kr/base/named_resource.h"

namespace KR {

// The states a material controls.
enum MaterialFlag : uint32_t {
    kMatLighting = 0x0001,
    kMatTwoSided = 0x0002,
    kMatAlphaTest = 0x0004,
    kMatBlend = 0x0008,
    kMatTexture2D = 0x0010,
    kMatDepthWrite = 0x0020,
    kMatShadeModel = 0x0040,
    kMatCullFace = 0x0080,
    kMatAmbient = 0x0100,
    kMatDiffuse = 0x0200,
    kMatSpecular = 0x0400,
    kMatShininess = 0x0800,
    kMatEmission = 0x1000,
    kMatEnvColor = 0x2000,
    kMatColor = 0x4000,
    kMatDefaultFlags = 0x7F21,
};

struct MaterialFields : NamedResource {
    static constexpr int kReservedSize = 60;

    // Gives every OpenGL value and the flags their defaults; the name and the reserved
    // bytes stay as they are.
    void ResetToDefaults();
    // The colour of exactly one colour bit, or nullptr.
    float* Color(uint32_t which);
    const float* Color(uint32_t which) const;

    uint32_t face;
    uint32_t alpha_func;
    float alpha_ref;
    uint32_t tex_env_mode;
    uint32_t blend_src;
    uint32_t blend_dst;
    uint32_t shade_model;
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
    float emission[4];
    float env_color[4];
    float color[4];
    uint8_t reserved[kReservedSize] = {};
    uint32_t flags;
};

// The accepted value sets. A record read from a file may hold anything, so the display list
// is compiled only from values these accept.
bool IsMaterialFace(uint32_t value);
bool IsMaterialAlphaFunc(uint32_t value);
bool IsMaterialBlendSrc(uint32_t value);
bool IsMaterialBlendDst(uint32_t value);
bool IsMaterialTexEnvMode(uint32_t value);
bool IsMaterialShadeModel(uint32_t value);
// OpenGL takes specular exponents from 0 to 128 only.
bool IsMaterialShininess(float value);

}  // namespace KR
