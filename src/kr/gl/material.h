#pragma once
// A fixed-function OpenGL material: lighting colours, shininess, blending, alpha test, texture
// environment and face culling, compiled into one display list so that applying it is one
// glCallList. Only the states whose bits are set in `flags` are ever emitted.

#include <cstdint>
#include <cstdio>

#include "kr/gl/material_fields.h"

namespace KR {

class Material : public MaterialFields {
  public:
    static constexpr int kRecordSize = 224;

    // Takes a display list (a context must be current) and sets the defaults.
    Material();
    ~Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    void Apply() const;
    // Records the state commands of the bits in both flags and mask (-1: all). A state whose
    // stored value OpenGL would refuse is left out, as if its bit were clear.
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
    const float* GetColor(uint32_t which) const { return Color(which); }

    // One 224-byte record; load recompiles with mask. A failed read changes nothing.
    void save(std::FILE* file) const;
    void load(std::FILE* file, int mask);

    uint32_t list = 0;
};

}  // namespace KR
