// Generation as a whole: run the chosen algorithm on a temporary grid, rescale and shape it,
// rebuild the terrain from it, smooth it and reset the view.

#include "terrain/terrain.h"

namespace {

// Frees the temporary grid however the generation ends.
struct grid_release {
    terrain_generation_info& info;
    ~grid_release() { info.ReleaseData(); }
};

}  // namespace

bool terrain::GenerateTerrain() {
    terrain_generation_info& g = generation;
    // Sizes and counts from a scene file arrive unchecked; out of range they would overrun
    // the allocation or the loops.
    g.ClampSizes();
    g.InitData();
    grid_release release{g};

    int result = 0;
    switch (g.algorithm) {
        case kAlgorithmRandomPoints:
            result = GenerateTerrainRandomPoint(g);
            break;
        case kAlgorithmFaulting:
            result = GenerateTerrainFaulting(g);
            break;
        case kAlgorithmPerlinNoise:
            result = GenerateTerrainPerlin(g);
            break;
        case kAlgorithmImportBitmap:
            result = GenerateTerrainImport(g);
            break;
        default:
            break;
    }
    if (result != 1) return false;

    g.Normalise();
    g.ApplyShape();
    ReplaceGrid(g.grid.get(), g.x, g.y);
    for (int pass = 0; pass < g.smooth; ++pass) {
        SmoothTerrain();
        UpdateBuffers();
    }
    // Without a smoothing pass nothing has filled the draw buffers yet; fill them from the
    // read field without the hand-over's swap, so the first frame shows the new ground.
    if (g.smooth == 0) {
        for (unsigned c = 0; c < cluster_count; ++c)
            clusters[c].RefreshBuffers(*settings, z_min, z_max, workers.get());
        box_min = z_min - 2.0f;
        box_max = z_max + 2.0f;
    }
    ResetView();
    scene_file.clear();
    ready = 1;
    return true;
}

void terrain::ResetView() {
    view = KR::Vector4(0.0f, 70.0f, 140.0f, 0.0f);
    view_pos = KR::Vector4(extent.x / 2, extent.y / 2, 0, 0);
    sun = KR::Vector4(-45.0f, 50.0f, 80.0f, 0.0f);
}
