#pragma once
// The named textures of the scene that are made rather than loaded: the shadow map, the
// dither pattern, and the noise textures generated at start-up (each timed in the log).

#include <cstdint>

#include "kr/procedural/procedural_textures.h"

namespace KR {
class Texture;
}

namespace graphics {

// (Re)creates the shadow depth texture as size x size with float or unsigned-byte texels.
void CreateShadowTexture(int32_t size, bool float_texels);

KR::Texture* CreateDitherTexture();
KR::Texture* CreateContourTexture();
KR::Texture* CreateTerrainMainTexture();
KR::Texture* CreateWaterWaveTexture(int32_t size, int32_t frames);

// Both sky boxes; a size below 1 or a negative amount takes the configured value.
void CreateSkyBoxTextures(int32_t size, float clouds, float turbulence, float stars);

// Takes over the generated pixels as the texture's buffer and builds the texture with the
// environment's defaults, with or without mipmaps.
void Upload(KR::Texture& texture, KR::ProceduralImage image, bool mipmaps);

// The texture of that name in the environment, added when it is not there yet.
KR::Texture* NamedTexture(const char* name);

}  // namespace graphics
