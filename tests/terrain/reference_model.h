#pragma once
// The water step written plainly: heap-allocated vertices behind virtual operations, the
// passes in their defining loop order. Slow on purpose; the fast grid must match it bit for
// bit, so it is the oracle for every optimisation.

#include <memory>
#include <vector>

#include "terrain/simulation_settings.h"

namespace QorTest::reference {

class cluster;

class vertex_base {
  public:
    virtual ~vertex_base() = default;
    virtual void Init(cluster* owner) = 0;
    virtual float GetTerrain() = 0;
    virtual void SetTerrain(float value) = 0;
    virtual void AddTerrain(float value) = 0;
    virtual float GetWater() = 0;
    virtual void SetWater(float value) = 0;
    virtual void AddWater(float value) = 0;
    virtual float GetSurface() = 0;
    virtual void ResetWater() = 0;
    virtual void ClearFlows() = 0;
    virtual void CopyFrom(vertex_base* other) = 0;
    virtual bool IsClusterVertex() const = 0;
};

class cluster_vertex : public vertex_base {
  public:
    void Init(cluster* o) override;
    float GetTerrain() override { return terrain; }
    void SetTerrain(float v) override { terrain = v; }
    void AddTerrain(float v) override { terrain += v; }
    float GetWater() override { return water; }
    void SetWater(float v) override;
    void AddWater(float v) override;
    float GetSurface() override { return GetWater() + GetTerrain(); }
    void ResetWater() override;
    void ClearFlows() override;
    void CopyFrom(vertex_base* other) override;
    bool IsClusterVertex() const override { return true; }

    cluster* owner = nullptr;
    float flow[8] = {};
    float outflow = 0;
    float terrain = 0;
    float water = 0;
};

// A ring position: mirrors the ground of its nearest grid point, holds no water, swallows
// every write; with the aquarium on, its surface is the aquarium's level.
class border_vertex : public vertex_base {
  public:
    void Init(cluster* o) override;
    float GetTerrain() override { return mirror->GetTerrain(); }
    void SetTerrain(float) override {}
    void AddTerrain(float) override {}
    float GetWater() override { return 0; }
    void SetWater(float) override {}
    void AddWater(float) override {}
    float GetSurface() override;
    void ResetWater() override { mirror->ResetWater(); }
    void ClearFlows() override { mirror->ClearFlows(); }
    void CopyFrom(vertex_base*) override {}
    bool IsClusterVertex() const override { return false; }

    cluster* owner = nullptr;
    vertex_base* mirror = nullptr;
};

class vertex_2d_field {
  public:
    void Allocate(cluster* owner, int columns, int rows);
    vertex_base* Get(int x, int y) { return vertices[size_t(y) * width + x].get(); }
    void SwitchCopy(vertex_2d_field& source);

    cluster* owner = nullptr;
    int width = 0, height = 0;
    std::vector<std::unique_ptr<vertex_base>> vertices;
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
    void LinkBorders();
    void Step(const simulation_settings& s);
    void RainPass(const simulation_settings& s);
    void FlowPass(const simulation_settings& s);
    void SlopePass();
    void SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max);
    void RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max);

    vertex_2d_field fields[2];
    vertex_2d_field* read_field = &fields[0];
    vertex_2d_field* write_field = &fields[1];
    int size_x = 0, size_y = 0, quads_x = 0, quads_y = 0;
    draw_buffers buffers;
    const simulation_settings* settings = nullptr;  // what border vertices read
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
