#pragma once
// The landscape the benchmarks run on: the default Perlin-noise generation at a fixed seed,
// flooded as generation floods it.

#include <map>
#include <vector>

#include "kr/base/random.h"
#include "terrain/terrain.h"

namespace bench {

// Ground heights of a generated size x size landscape, row-major.
inline const std::vector<float>& Landscape(int size) {
    static std::map<int, std::vector<float>> cache;
    auto it = cache.find(size);
    if (it != cache.end()) return it->second;
    simulation_settings s;
    terrain t;
    t.settings = &s;
    t.generation.x = t.generation.y = size;
    KR::RandomSeed(12345);
    t.GenerateTerrain();
    std::vector<float> heights(size_t(size) * size);
    const vertex_2d_field& f = *t.clusters[0].read_field;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            heights[size_t(y) * size + x] = f.GetTerrain(x + 1, y + 1);
    return cache.emplace(size, std::move(heights)).first->second;
}

}  // namespace bench
