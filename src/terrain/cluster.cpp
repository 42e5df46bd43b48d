#include "terrain/cluster.h"

#include <new>

#include "kr/base/error.h"

void cluster::SetExtent(KR::Vector2 new_start, KR::Vector2 new_end, int columns, int rows) {
    start = new_start;
    end = new_end;
    fields[0].SetSize(columns, rows);
    fields[1].SetSize(columns, rows);
    cell = KR::Vector2((end.x - start.x) / float(columns), (end.y - start.y) / float(rows));
}

void cluster::AllocateDrawBuffers() {
    size_x = write_field->Width() - 2;
    size_y = write_field->Height() - 2;
    quads_x = size_x - 1;
    quads_y = size_y - 1;
    const size_t n = size_t(size_x) * size_y + size_t(quads_x) * quads_y;
    const size_t quads = size_t(quads_x) * quads_y;
    drawn_ground_current = false;
    vertex_data.clear();
    vertex_data.shrink_to_fit();
    indices.clear();
    indices.shrink_to_fit();
    try {
        vertex_data.assign(kDrawFloatsPerVertex * n, 0.0f);
        indices.resize(kIndicesPerQuad * quads);
    } catch (const std::bad_alloc&) {
        const uint64_t bytes = (kDrawFloatsPerVertex * n + kIndicesPerQuad * quads) * 4;
        vertex_data = {};
        indices = {};
        throw KR::ErrorMem("cluster::GenerateTerrain", ": Can't allocate draw buffers!",
                           uint32_t(std::min<uint64_t>(bytes, UINT32_MAX)));
    }
    terrain_pos_offset = 0;
    terrain_normal_offset = int(3 * n);
    depth_offset = int(6 * n);
    water_pos_offset = int(7 * n);
    water_normal_offset = int(10 * n);

    for (int block : {terrain_pos_offset, water_pos_offset}) {
        float* pos = vertex_data.data() + block;
        for (int r = 0; r < size_y; ++r)
            for (int c = 0; c < size_x; ++c) {
                float* p = pos + 3 * (size_t(r) * size_x + c);
                p[0] = float(c);
                p[1] = float(r);
            }
        float* centres = pos + 3 * size_t(size_x) * size_y;
        for (int r = 0; r < quads_y; ++r)
            for (int c = 0; c < quads_x; ++c) {
                float* p = centres + 3 * (size_t(r) * quads_x + c);
                p[0] = c + 0.5f;
                p[1] = r + 0.5f;
            }
    }
    uint32_t* index = indices.data();
    for (int r = 0; r < quads_y; ++r)
        for (int c = 0; c < quads_x; ++c) {
            const uint32_t a = uint32_t(r * size_x + c), b = a + 1;
            const uint32_t d = a + uint32_t(size_x), e = d + 1;
            const uint32_t m = uint32_t(size_x * size_y + r * quads_x + c);
            const uint32_t fan[12] = {a, b, m, b, e, m, e, d, m, d, a, m};
            std::copy(fan, fan + 12, index);
            index += 12;
        }
}

void cluster::GenerateTerrain(const float* heights, int row_stride) {
    fields[0].Allocate(this, 0, 0);
    fields[1].Allocate(this, 0, 0);
    read_field = &fields[0];
    write_field = &fields[1];
    AllocateDrawBuffers();
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const float h = heights[size_t(r) * row_stride + c];
            read_field->SetTerrain(c + 1, r + 1, h);
            read_field->SetWater(c + 1, r + 1, 10.0f - h);
        }
    LinkBorders();
    write_field->SwitchCopy(*read_field);
    write_flows_current = true;
}

void cluster::LinkBorders() {
    fields[0].LinkBorders();
    fields[1].LinkBorders();
}

size_t cluster::MemoryBytes() const {
    return fields[0].MemoryBytes() + fields[1].MemoryBytes() +
           vertex_data.capacity() * sizeof(float) + indices.capacity() * sizeof(uint32_t) +
           (scratch.shared.capacity() + scratch.per_thread.capacity() + scratch.border.capacity() +
            refresh_rows.capacity()) *
               sizeof(float) +
           ground_changed.capacity();
}
