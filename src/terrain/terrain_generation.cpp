// Generation as a whole: run the chosen algorithm (or take a height source) on a temporary grid,
// rescale and shape it, rebuild the terrain from it, smooth it and reset the view. Heights a
// source gives in metres are taken as they are.

#include "terrain/terrain.h"

namespace {

// Frees the temporary grid however the generation ends.
struct grid_release {
    terrain_generation_info& info;
    ~grid_release() { info.ReleaseData(); }
};

}  // namespace

bool terrain::GenerateTerrain() {
    return GenerateTerrain([this](terrain_generation_info& g) {
        switch (g.algorithm) {
            case kAlgorithmRandomPoints:
                return GenerateTerrainRandomPoint(g);
            case kAlgorithmFaulting:
                return GenerateTerrainFaulting(g);
            case kAlgorithmPerlinNoise:
                return GenerateTerrainPerlin(g);
            case kAlgorithmImportBitmap:
                return GenerateTerrainImport(g);
            default:
                return 0;
        }
    });
}

bool terrain::GenerateTerrain(const height_source& source) {
    terrain_generation_info& g = generation;
    // Sizes and counts from a scene file arrive unchecked; out of range they would overrun
    // the allocation or the loops.
    g.ClampSizes();
    g.InitData();
    grid_release release{g};
    if (source(g) != 1) return false;

    if (!g.heights_in_metres) {
        g.Normalise();
        g.ApplyShape();
    }
    ReplaceGrid(g.grid.get(), g.x, g.y);
    const int smooth = g.heights_in_metres ? 0 : g.smooth;
    for (int pass = 0; pass < smooth; ++pass) {
        SmoothTerrain();
        UpdateBuffers();
    }
    // Without a smoothing pass nothing has filled the draw buffers yet; fill them from the
    // read field without the hand-over's swap, so the first frame shows the new ground.
    if (smooth == 0) {
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
