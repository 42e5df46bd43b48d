#include "terrain/scene_box.h"

#include "terrain/terrain.h"

void SceneBox(const terrain& t, KR::Vector4 box[8]) {
    const float x = t.extent.x - 1, y = t.extent.y - 1;
    const float corners[4][2] = {{0, 0}, {x, 0}, {x, y}, {0, y}};
    for (int k = 0; k < 8; ++k)
        box[k] =
            KR::Vector4(corners[k % 4][0], corners[k % 4][1], k < 4 ? t.box_min : t.box_max, 1);
}
