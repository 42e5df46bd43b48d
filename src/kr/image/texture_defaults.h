#pragma once
// OpenGL enum values the texture code needs, spelled out so the file side of textures
// builds without GL headers, and the texture defaults the environment hands to loading.

#include <cstdint>

namespace KR {

constexpr uint32_t kGlTexture1D = 0x0DE0;
constexpr uint32_t kGlTexture2D = 0x0DE1;
constexpr uint32_t kGlTexture3D = 0x806F;
constexpr uint32_t kGlTextureCubeMap = 0x8513;
constexpr uint32_t kGlRgba = 0x1908;
constexpr uint32_t kGlRepeat = 0x2901;
constexpr uint32_t kGlNearest = 0x2600;
constexpr uint32_t kGlLinear = 0x2601;
constexpr uint32_t kGlLinearMipmapLinear = 0x2703;

// How a side that is not a power of two is rounded.
enum class PowerOfTwoRule { NextLarger, NextSmaller };

struct TextureDefaults {
    uint32_t format = kGlRgba;
    uint32_t wrap = kGlRepeat;
    uint32_t mag_filter = kGlLinear;
    uint32_t min_filter = kGlLinearMipmapLinear;
    bool build_mipmaps = true;
    PowerOfTwoRule pow2_rule = PowerOfTwoRule::NextLarger;
    int32_t max_width = 1024;
    int32_t max_height = 1024;
    int32_t fallback_width = 256;
    int32_t fallback_height = 256;
    // Palette index that becomes fully transparent in CEL and 8-bit BMP images; a value
    // outside 0..255 makes every texel opaque.
    int32_t transparent_index = 0;
};

// Alpha of a palettised texel: 0 for the transparent index, else 255.
inline uint8_t PaletteAlpha(int index, const TextureDefaults& env) {
    return index == env.transparent_index ? 0 : 255;
}

}  // namespace KR
