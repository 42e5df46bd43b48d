#pragma once
// The pieces one cluster is drawn from, in the order cluster::Draw calls them. Each piece
// sets the state it needs and switches off what it switched on.

#include <cstdint>

#include "kr/image/texture.h"
#include "kr/math/vector.h"
#include "terrain/camera_info.h"
#include "terrain/scene_colors.h"

class cluster;

namespace render {

// What every piece of one cluster's drawing shares.
struct cluster_pass {
    const cluster& c;
    const camera_info& camera;
    bool shaders;         // the "Terrain" and "Water" programs instead of fixed functionality
    int shadows;          // 1: the shadow map on unit 3 is sampled
    float brightness;     // of the sun
    water_colors colors;  // at that brightness
    float min_alpha;      // opacity of near water: rises as the sun sinks
    float box_min;        // floor of the scene box, where the soil walls end

    const float* TerrainPositions() const;
    const float* TerrainNormals() const;
    const float* Depths() const;
    const float* WaterPositions() const;
    const float* WaterNormals() const;
};

void DrawTerrainMesh(const cluster_pass& pass);
void DrawAquariumWalls(const cluster_pass& pass);
void DrawSoilWalls(const cluster_pass& pass);
void DrawDebugViews(const cluster_pass& pass, uint32_t views);
void DrawWaterSurface(const cluster_pass& pass);

// The heights of a wall along the cluster's edges, read from position blocks (x, y, z per
// draw vertex): the top is the higher of two blocks' z (or the one block's), the bottom a
// block's z or, without one, a flat floor.
struct wall_heights {
    const float* top = nullptr;
    const float* top_or = nullptr;
    const float* bottom = nullptr;
    float floor = 0.0f;
};

// Quads along the four edges, one per grid step, each facing outwards (counter-clockwise
// seen from outside), inside one glBegin(GL_QUADS).
void EmitEdgeWalls(const cluster& c, const wall_heights& heights);

// A texture the set-up did not make is left out rather than dereferenced.
inline void Bind(const KR::Texture* texture) {
    if (texture) texture->bind();
}

// The cluster's triangle fans over the positions (and whatever other arrays are enabled).
void DrawFans(const cluster& c);

}  // namespace render
