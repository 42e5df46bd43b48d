#pragma once
// A rectangular block of the terrain grid: two vertex fields (the last finished state that is
// read and drawn, and the one the running step writes) and the draw buffers of its meshes.

#include <cstdint>
#include <vector>

#include "kr/math/vector.h"
#include "terrain/camera_info.h"
#include "terrain/step_scratch.h"
#include "terrain/vertex_2d_field.h"

struct simulation_settings;
class step_workers;

// Draw buffers: 13 floats per draw vertex in five blocks. Draw vertices are the grid points
// row by row, then one centre vertex per quad.
constexpr int kDrawFloatsPerVertex = 13;
constexpr int kIndicesPerQuad = 12;

class cluster {
  public:
    cluster() = default;
    cluster(const cluster&) = delete;
    cluster& operator=(const cluster&) = delete;

    void SetExtent(KR::Vector2 start, KR::Vector2 end, int columns, int rows);
    // Builds both fields and the draw buffers from a row-major height grid with the cluster's
    // size and floods it up to level 10. row_stride is in floats.
    void GenerateTerrain(const float* heights, int row_stride);
    void LinkBorders();

    // One step: rain, flow and slope passes, on the given workers (one thread when none).
    void Step(const simulation_settings& settings, step_workers* workers = nullptr);

    // The hand-over: swap the fields, copy the new state into the write field, refill the
    // draw buffers; z_min and z_max gather the height range.
    void SwapAndRefresh(const simulation_settings& settings, float& z_min, float& z_max,
                        step_workers* workers = nullptr);
    void RefreshBuffers(const simulation_settings& settings, float& z_min, float& z_max,
                        step_workers* workers = nullptr);

    // Allocates the draw buffers and fills their fixed parts (x, y and the indices).
    void AllocateDrawBuffers();

    int DrawVertexCount() const { return size_x * size_y + quads_x * quads_y; }
    size_t MemoryBytes() const;

    // --- Drawing: defined in src/render/, needs a current context ---
    // Terrain, aquarium and soil walls, debug views, water and vegetation of this cluster.
    // target is not used; shadows is 1 when the shadow map on unit 3 is to be sampled; the
    // soil walls reach down to box_min.
    void Draw(const camera_info& camera, const KR::Vector4& target, const KR::Vector4& sun,
              int shadows, float box_min);
    // The ground and the soil walls down to box_min as bare geometry.
    void DrawShadowCasters(float box_min);
    // --- end of drawing ---

    vertex_2d_field fields[2];
    int size_x = 0, size_y = 0;
    int quads_x = 0, quads_y = 0;
    std::vector<float> vertex_data;
    std::vector<uint32_t> indices;
    int terrain_pos_offset = 0, terrain_normal_offset = 0, depth_offset = 0;
    int water_pos_offset = 0, water_normal_offset = 0;
    vertex_2d_field* write_field = &fields[1];
    vertex_2d_field* read_field = &fields[0];
    KR::Vector2 start, end, cell;
    step_scratch scratch;
    std::vector<float> refresh_rows;  // working rows of the hand-over
    // False from a hand-over, which copies only ground and water into the write field, until
    // the next step writes its flows (or copies them, when the water stands still).
    bool write_flows_current = true;
    // The draw buffers' ground (positions and normals) shows the read field's ground: true
    // after every refill, false for new buffers. A hand-over then rewrites only the ground
    // of the rows whose ground the step changed.
    bool drawn_ground_current = false;
    std::vector<uint8_t> ground_changed;  // by grid row, during a hand-over

  private:
    // How many of the workers share rows [0, rows) of a hand-over.
    int Parts(const step_workers* workers, int rows) const;
    // Refills the draw buffers from the read field; when ground_changed is given, the ground
    // of the rows whose ground and neighbours' ground did not change is kept.
    void Refresh(const simulation_settings& settings, float& z_min, float& z_max,
                 step_workers* workers, const uint8_t* ground_changed);
};
