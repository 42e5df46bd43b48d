#pragma once
// A fixed-function OpenGL material: lighting colours, shininess, blending, alpha test, texture
// environment and face culling, compiled into one display list so that applying it is one
// glCallList. Only the states whose bits are set in `flags` are ever emitted.

#include <cstdint>
#include <cstdio>

#include "kr/named_resource.h"

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

class Material : public NamedResource {
  public:
    static constexpr int kRecordSize = 224;
    static constexpr int kReservedSize = 60;

    // Takes a display list (a context must be current) and sets the defaults.
    Material();
    ~Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    void Apply() const;
    // Records the state commands of the bits in both flags and mask (-1: all).
    void Compile(int mask);
    void SetDefaults(int mask);

    // Each answers 1 and recompiles, or answers 0 and changes nothing for a value outside
    // the field's accepted set.
    int SetFace(uint32_t value, int mask);
    int SetAlphaFunc(uint32_t value, int mask);
    int SetBlendSrc(uint32_t value, int mask);
    int SetBlendDst(uint32_t value, int mask);
    int SetTexEnvMode(uint32_t value, int mask);
    // Stores the colour in every colour whose bit is in `which`, then recompiles.
    void SetColor(uint32_t which, float r, float g, float b, float a, int mask);
    void SetShininess(float value, int mask);
    float GetShininess() const { return shininess; }
    // The colour of exactly one colour bit, or nullptr.
    const float* GetColor(uint32_t which) const;

    // One 224-byte record; load recompiles with mask.
    void save(std::FILE* file) const;
    void load(std::FILE* file, int mask);

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
    uint32_t list = 0;
    uint32_t flags;
};

}  // namespace KR
