// Perlin Noise: five octaves of interpolated lattice noise at 0.04 lattice cells per grid
// step, whatever the grid's size.

#include "kr/noise/perlin_noise_2d.h"
#include "terrain/terrain.h"

int terrain::GenerateTerrainPerlin(terrain_generation_info& info) {
    KR::PerlinNoise2D noise;
    noise.SetSeed(-1);
    noise.SetSize(100, 100, 4);
    noise.SetParams(5, 2.0f, 0);
    noise.SetNoiseType(KR::PerlinNoise2D::kInterpolated, 0);
    float* const grid = info.grid.get();
    const int columns = info.x;
    // Each cell depends on its position only, so any split of the rows gives the same grid.
    RunRowBands(*workers, info.y, [&](int first, int end) {
        for (int j = first; j < end; ++j)
            for (int i = 0; i < columns; ++i)
                grid[size_t(j) * columns + i] = noise.Get(float(i), float(j));
    });
    return 1;
}
