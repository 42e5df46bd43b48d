#pragma once

namespace graphics {

// The materials "Terrain" and "Water" the clusters are drawn with.
void CreateSceneMaterials();

}  // namespace graphics
