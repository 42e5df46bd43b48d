#include "terrain/vertex_2d_field.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "kr/base/error.h"
#include "terrain/simulation_settings.h"

namespace {

constexpr size_t kAlignFloats = 16;  // 64-byte rows and planes

size_t RoundUp(size_t value, size_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

// Rows whose length is a multiple of 1 KiB map every row to the same cache sets, and so do
// planes a multiple of 4 KiB apart; both made the neighbour passes several times slower.
// Each row has room for a whole vector beyond its last vertex, so the row kernels never
// need a scalar tail.
int PaddedStride(int width) {
    size_t stride = RoundUp(size_t(width) + 15, kAlignFloats);
    if (stride % 256 == 0) stride += kAlignFloats;
    return int(stride);
}

size_t StaggeredPlane(size_t floats) {
    return RoundUp(floats, 1024) + 5 * kAlignFloats;
}

}  // namespace

void vertex_2d_field::SetSize(int columns, int rows) {
    width = columns + 2;
    height = rows + 2;
}

void vertex_2d_field::Allocate(cluster* new_owner, int columns, int rows) {
    owner = new_owner;
    if (columns >= 1 && rows >= 1) SetSize(columns, rows);
    Free();
    if (width < 3 || height < 3)
        throw KR::ErrorMem("vertex_2d_field::Allocate", ": Can't allocate cluster vertex!", 0);
    const int new_stride = PaddedStride(width);
    const size_t floats = StaggeredPlane(size_t(new_stride) * size_t(height));
    const uint64_t bytes = (uint64_t(floats) * kPlanes + kAlignFloats) * sizeof(float);
    void* memory = nullptr;
    if (bytes > (uint64_t(1) << 40) || posix_memalign(&memory, 64, size_t(bytes)) != 0)
        throw KR::ErrorMem("vertex_2d_field::Allocate", ": Can't allocate cluster vertex!",
                           uint32_t(std::min<uint64_t>(bytes, UINT32_MAX)));
    block = static_cast<float*>(memory);
    stride = new_stride;
    plane_floats = floats;
    block_floats = floats * kPlanes + kAlignFloats;
    borders_linked = false;
    std::memset(block, 0, size_t(bytes));
}

void vertex_2d_field::Free() {
    std::free(block);
    block = nullptr;
    plane_floats = block_floats = 0;
    borders_linked = false;
}

void vertex_2d_field::LinkedPosition(int& x, int& y) const {
    x = std::clamp(x, 1, width - 2);
    y = std::clamp(y, 1, height - 2);
}

float vertex_2d_field::GetTerrain(int x, int y) const {
    if (!IsBorder(x, y)) return Terrain()[Index(x, y)];
    if (!borders_linked) return 0.0f;
    LinkedPosition(x, y);
    return 0.0f + 1.0f * Terrain()[Index(x, y)];
}

void vertex_2d_field::SetTerrain(int x, int y, float value) {
    if (!IsBorder(x, y)) Terrain()[Index(x, y)] = value;
}

void vertex_2d_field::AddTerrain(int x, int y, float value) {
    if (!IsBorder(x, y)) Terrain()[Index(x, y)] += value;
}

float vertex_2d_field::GetWater(int x, int y) const {
    return IsBorder(x, y) ? 0.0f : Water()[Index(x, y)];
}

void vertex_2d_field::SetWater(int x, int y, float value) {
    if (IsBorder(x, y)) return;
    float& water = Water()[Index(x, y)];
    water = value;
    if (water < 0) water = 0;
}

void vertex_2d_field::AddWater(int x, int y, float value) {
    if (IsBorder(x, y)) return;
    float& water = Water()[Index(x, y)];
    water += value;
    if (water < 0) water = 0;
}

float vertex_2d_field::GetSurface(int x, int y, const simulation_settings& settings) const {
    if (!IsBorder(x, y)) return GetWater(x, y) + GetTerrain(x, y);
    if (settings.aquarium) return settings.z_aquarium;
    return GetTerrain(x, y);
}

float vertex_2d_field::GetFlow(int x, int y, int direction) const {
    return IsBorder(x, y) ? 0.0f : Flow(direction)[Index(x, y)];
}

float vertex_2d_field::GetOutflow(int x, int y) const {
    return IsBorder(x, y) ? 0.0f : Outflow()[Index(x, y)];
}

void vertex_2d_field::ClearVertex(size_t index) {
    for (int p = 0; p < kPlanes; ++p)
        plane(p)[index] = 0.0f;
}

void vertex_2d_field::Reset(int x, int y) {
    if (!IsBorder(x, y)) ClearVertex(Index(x, y));
}

void vertex_2d_field::ResetWater(int x, int y) {
    if (IsBorder(x, y)) return;
    ClearFlows(x, y);
    Water()[Index(x, y)] = 0.0f;
}

void vertex_2d_field::ClearFlows(int x, int y) {
    if (IsBorder(x, y)) return;
    for (int i = 0; i < kFlows; ++i)
        Flow(i)[Index(x, y)] = 0.0f;
}

void vertex_2d_field::CopyFrom(int x, int y, const vertex_2d_field& other) {
    if (IsBorder(x, y)) return;
    const size_t to = Index(x, y), from = other.Index(x, y);
    Terrain()[to] = other.Terrain()[from];
    Water()[to] = other.Water()[from];
    for (int i = 0; i < kFlows; ++i)
        Flow(i)[to] = other.Flow(i)[from];
}

void vertex_2d_field::SwitchCopy(const vertex_2d_field& source) {
    CheckCopySource(source);
    CopyRows(source, 1, height - 1, planes::all);
    FinishCopy(source);
}

void vertex_2d_field::FinishCopy(const vertex_2d_field& source) {
    borders_linked = source.borders_linked;
    PrepareRing();
}

void vertex_2d_field::CheckCopySource(const vertex_2d_field& source) const {
    if (!source.IsAllocated() || !IsAllocated())
        throw KR::Error("vertex_2d_field::SwitchCopy", ": Source field was not allocated!");
    if (source.owner != owner || source.width != width || source.height != height)
        throw KR::Error("vertex_2d_field::SwitchCopy", ": Inconpatible fields!");
}

void vertex_2d_field::LinkBorders() {
    borders_linked = true;
    PrepareRing();
}

void vertex_2d_field::PrepareRing() {
    if (!IsAllocated()) return;
    auto prepare = [this](int x, int y) {
        const size_t index = Index(x, y);
        ClearVertex(index);
        Terrain()[index] = GetTerrain(x, y);
    };
    for (int x = 0; x < width; ++x) {
        prepare(x, 0);
        prepare(x, height - 1);
    }
    for (int y = 1; y < height - 1; ++y) {
        prepare(0, y);
        prepare(width - 1, y);
    }
}
