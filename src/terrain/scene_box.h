#pragma once
// The eight corners of the terrain's bounding box, which the camera fits its planes to:
// (0, 0), (extent.x - 1, 0), (extent.x - 1, extent.y - 1), (0, extent.y - 1), first at
// box_min, then at box_max.

#include "kr/math/vector.h"

class terrain;

void SceneBox(const terrain& t, KR::Vector4 box[8]);
