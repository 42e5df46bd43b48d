#pragma once
// What the frame draws besides the scene itself: the editing cursor with the brush circle,
// the light-view overlay (the terrain's box and the camera's frustum) and the aquarium box.

#include "kr/math/vector.h"

class terrain;

namespace render {

// The target marker; in terrain editing (mode 1) also the light's position and up vector from
// the terrain's centre and the brush circle on the surface.
void DrawEditingCursor(terrain& t, int mode, const KR::Vector4& light_position,
                       const KR::Vector4& light_up);

// The box's edges, then the frustum's six faces, translucent (corners as the camera's
// frustum gives them: near plane first, counter-clockwise, then the far plane).
void DrawLightViewOverlay(const KR::Vector4 box[8], const KR::Vector4 frustum[8]);

// The translucent box of the aquarium over the whole terrain.
void DrawAquariumBox(const terrain& t, float z_aquarium);

}  // namespace render
