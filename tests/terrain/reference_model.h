#pragma once
// The water step written plainly: one vertex per grid point, the passes in their defining loop
// order. Slow on purpose; the fast grid must match it bit for bit, so it is the oracle for
// every optimisation.

#include <cstddef>
#include <vector>

#include "terrain/simulation_settings.h"

namespace QorTest::reference {

struct vertex {
    float terrain = 0, water = 0, flow[8] = {}, outflow = 0;
};

// The grid inside a ring one vertex wide. The ring mirrors the ground of the nearest grid
// point, holds no water and ignores every write; with the aquarium on, its surface is the
// aquarium's level.
struct field {
    void Allocate(int columns, int rows);
    bool Ring(int x, int y) const { return x == 0 || y == 0 || x == width - 1 || y == height - 1; }
    vertex& At(int x, int y) { return v[size_t(y) * width + x]; }
    float Terrain(int x, int y);
    float Water(int x, int y) { return Ring(x, y) ? 0.0f : At(x, y).water; }
    float Surface(int x, int y, const simulation_settings& s);
    void SetTerrain(int x, int y, float value);
    void AddTerrain(int x, int y, float value);
    void AddWater(int x, int y, float value);  // water never falls below 0
    // Ground, water and flows of every grid point; the outflow stays.
    void SwitchCopy(field& source);

    int width = 0, height = 0;  // with the ring
    std::vector<vertex> v;
};

struct draw_buffers {
    std::vector<float> vertex_data;
    int terrain_pos_offset = 0, terrain_normal_offset = 0, depth_offset = 0;
    int water_pos_offset = 0, water_normal_offset = 0;
};

class cluster {
  public:
    // Builds both fields from a row-major height grid and floods it to level 10.
    void Generate(const std::vector<float>& heights, int columns, int rows);
    void Step(const simulation_settings& s);
    void RainPass(const simulation_settings& s);
    void FlowPass(const simulation_settings& s);
    void SlopePass();
    void SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max);
    void RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max);

    field fields[2];
    field* read_field = &fields[0];
    field* write_field = &fields[1];
    int size_x = 0, size_y = 0, quads_x = 0, quads_y = 0;
    draw_buffers buffers;
};

// The whole-terrain commands, on a single-cluster terrain whose grid starts at (0, 0) with
// one world unit per step.
void ResetWater(cluster& c);
void ResetMovement(cluster& c);
void Tsunami(cluster& c, float view_x, float view_y, float radius);
void SmoothTerrain(cluster& c);
void SmoothBrush(cluster& c, float view_x, float view_y, float radius);
void RaiseBrush(cluster& c, float view_x, float view_y, float radius, float amount);

}  // namespace QorTest::reference
