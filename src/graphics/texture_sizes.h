#pragma once
// Sizes of the generated textures as the driver can take them: a configured size that is no
// power of two, or larger than the driver or memory allows, would end start-up with an error
// or exhaust memory, so it is brought down to the nearest power of two that fits.

#include <cstdint>

namespace graphics {

int32_t FitSkyBoxSize(int32_t size);
int32_t FitWaterSize(int32_t size);
int32_t FitWaterFrames(int32_t frames);
// The shadow-map side: 0 (or below) chooses it from the driver, at most 4096; never above the
// largest texture.
int32_t ChooseShadowSize(int32_t configured, bool framebuffer_object, int32_t max_texture_size);

}  // namespace graphics
