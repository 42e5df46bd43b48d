#pragma once
// One complete copy of a cluster's grid: ground height, water depth, the eight flows and the
// outflow of every vertex, stored as planes of contiguous rows. The interior is surrounded by
// a ring of border positions that stand for what lies beyond the edge of the terrain: they
// mirror the ground of the adjacent interior vertex, hold no water and swallow what is added
// to them. The bulk passes read the ring's prepared values; the single-position operations
// below give border positions their meaning explicitly.

#include <cstddef>
#include <cstdint>

struct simulation_settings;
class cluster;

class vertex_2d_field {
  public:
    static constexpr int kFlows = 8;

    vertex_2d_field() = default;
    ~vertex_2d_field() { Free(); }
    vertex_2d_field(const vertex_2d_field&) = delete;
    vertex_2d_field& operator=(const vertex_2d_field&) = delete;

    // Interior columns and rows; the field is two larger each way.
    void SetSize(int columns, int rows);
    // Allocates every position (cleared) for the given interior size; counts below 1 keep the
    // size set before. Raises KR::ErrorMem when memory runs out.
    void Allocate(cluster* owner, int columns, int rows);
    void Free();
    bool IsAllocated() const { return block != nullptr; }

    int Width() const { return width; }
    int Height() const { return height; }
    int Stride() const { return stride; }
    cluster* Owner() const { return owner; }
    size_t Index(int x, int y) const { return size_t(y) * size_t(stride) + size_t(x); }
    bool IsBorder(int x, int y) const {
        return x <= 0 || y <= 0 || x >= width - 1 || y >= height - 1;
    }
    // The interior position a border position mirrors.
    void LinkedPosition(int& x, int& y) const;

    // Vertex operations on a position.
    float GetTerrain(int x, int y) const;
    void SetTerrain(int x, int y, float value);
    void AddTerrain(int x, int y, float value);
    float GetWater(int x, int y) const;
    void SetWater(int x, int y, float value);
    void AddWater(int x, int y, float value);
    float GetSurface(int x, int y, const simulation_settings& settings) const;
    float GetFlow(int x, int y, int direction) const;
    float GetOutflow(int x, int y) const;
    void Reset(int x, int y);
    void ResetWater(int x, int y);
    void ClearFlows(int x, int y);
    void CopyFrom(int x, int y, const vertex_2d_field& other);

    // Copies every interior vertex of source into this field and prepares the ring.
    // Raises KR::Error when source is not allocated or the fields do not match.
    void SwitchCopy(const vertex_2d_field& source);
    // The same in parts: CheckCopySource, then rows [y_begin, y_end) (on several threads at
    // once), then the ring. A copy may take only the ground and the water, or only the flows.
    enum class planes { all, ground, water, ground_and_water, flows };
    void CheckCopySource(const vertex_2d_field& source) const;
    void CopyRows(const vertex_2d_field& source, int y_begin, int y_end, planes which) {
        // Planes: ground, water, then the flows.
        static constexpr int kFirst[] = {0, 0, 1, 0, 2}, kEnd[] = {2 + kFlows, 1, 2, 2, 2 + kFlows};
        const size_t bytes = size_t(width - 2) * sizeof(float);
        for (int p = kFirst[int(which)]; p < kEnd[int(which)]; ++p)
            for (int y = y_begin < 1 ? 1 : y_begin; y < y_end && y < height - 1; ++y)
                __builtin_memcpy(plane(p) + Index(1, y), source.plane(p) + source.Index(1, y),
                                 bytes);
    }
    void FinishCopy(const vertex_2d_field& source);
    // Finishes a copy into a field whose ring was prepared when it was last the read field
    // (nothing writes the ring of the read field): only the link of the borders is taken.
    void FinishCopyKeepingRing(const vertex_2d_field& source) {
        borders_linked = source.borders_linked;
    }

    // Links the ring to the interior (the border mirrors from now on) and prepares it.
    void LinkBorders();
    // Sets the ring to the mirrored ground, no water and no flow.
    void PrepareRing();

    // The raw planes, row-major with Stride() floats per row.
    float* Terrain() { return plane(0); }
    float* Water() { return plane(1); }
    float* Flow(int direction) { return plane(2 + direction); }
    float* Outflow() { return plane(10); }
    const float* Terrain() const { return plane(0); }
    const float* Water() const { return plane(1); }
    const float* Flow(int direction) const { return plane(2 + direction); }
    const float* Outflow() const { return plane(10); }

    // Bytes held by the planes.
    size_t MemoryBytes() const { return block_floats * sizeof(float); }

  private:
    static constexpr int kPlanes = 11;
    // Planes start one float before a cache line, so that every row's first interior vertex
    // (x = 1) lies on a cache-line boundary.
    static constexpr size_t kLead = 15;
    float* plane(int index) const { return block + kLead + size_t(index) * plane_floats; }
    void ClearVertex(size_t index);

    cluster* owner = nullptr;
    int width = 0, height = 0, stride = 0;
    bool borders_linked = false;
    size_t plane_floats = 0, block_floats = 0;
    float* block = nullptr;
};
