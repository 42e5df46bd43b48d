#include "terrain/terrain_generation_info.h"

#include <algorithm>
#include <new>

#include "kr/base/error.h"
#include "terrain/terrain_shape.h"

terrain_generation_info& terrain_generation_info::operator=(const terrain_generation_info& other) {
    x = other.x;
    y = other.y;
    ratio = other.ratio;
    min = other.min;
    max = other.max;
    type = other.type;
    algorithm = other.algorithm;
    detail = other.detail;
    smooth = other.smooth;
    return *this;
}

void terrain_generation_info::InitData() {
    ReleaseData();
    heights_in_metres = false;
    grid.reset(new (std::nothrow) float[Cells()]);
    if (!grid)
        throw KR::ErrorMem("terrain_generation_info::InitData",
                           ": Can't allocate terrain generation temporary grid!",
                           uint32_t(Cells() * sizeof(float)));
}

void terrain_generation_info::ClampSizes() {
    x = std::clamp(x, 10, 1024);
    y = std::clamp(y, 10, 1024);
    detail = std::clamp(detail, 0, 10000);
    smooth = std::clamp(smooth, 0, 1000);
}

void terrain_generation_info::CheckTerrainParameters() {
    x = std::clamp(x, 10, 1024);
    y = std::clamp(y, 10, 1024);
    if (min > max) min = 0.0f;
    min = std::clamp(min, 0.0f, 512.0f);
    if (min > max) max = 20.0f;
    max = std::clamp(max, 0.0f, 1024.0f);
    detail = std::clamp(detail, 0, 10000);
    smooth = std::clamp(smooth, 0, 1000);
    type = std::clamp(type, 0, 4);
    algorithm = std::clamp(algorithm, 0, 3);
}

void terrain_generation_info::Normalise() {
    float* const first = grid.get();
    float* const last = first + Cells();
    const auto [lo_it, hi_it] = std::minmax_element(first, last);
    const float lo = *lo_it, hi = *hi_it;
    const float s = hi - lo != 0.0f ? (max - min) / (hi - lo) : 0.0f;
    for (float* v = first; v != last; ++v)
        *v = (*v - lo) * s;
}

void terrain_generation_info::ApplyShape() {
    if (type == kShapeFlat) return;
    for (int j = 0; j < y; ++j)
        for (int i = 0; i < x; ++i)
            grid[size_t(j) * x + i] *= ShapeFactor(type, i, j, x, y);
}
