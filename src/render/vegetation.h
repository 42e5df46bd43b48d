#pragma once
// Billboard trees on the dry middle slopes of a cluster, textured with "Tree01" on unit 1
// and cut out by the alpha test.

#include "terrain/camera_info.h"

class cluster;

namespace render {

void DrawVegetation(const cluster& c, const camera_info& camera);

}  // namespace render
