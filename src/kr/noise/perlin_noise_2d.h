#pragma once
// Fractal value noise in the plane: octaves of a hashed lattice, optionally smoothed over
// the neighbours and cosine-interpolated, scaled so that a region of a given size spans a
// given number of lattice cells and optionally tiling over that region.

#include <cstdint>
#include <memory>

#include "kr/noise/perlin_noise_common.h"

namespace KR {

class PerlinNoise2D : public PerlinNoiseCommon {
  public:
    // The noise functions an octave can use.
    enum : int { kRaw = 0, kInterpolated = 1, kSmoothed = 2, kInterpolatedSmoothed = 3 };

    PerlinNoise2D() = default;
    // The repetition table is owned; a silent shallow copy would free it twice.
    PerlinNoise2D(const PerlinNoise2D&) = delete;
    PerlinNoise2D& operator=(const PerlinNoise2D&) = delete;
    PerlinNoise2D(PerlinNoise2D&&) = default;
    PerlinNoise2D& operator=(PerlinNoise2D&&) = default;

    // Scale becomes 1 / (size / divisor) with an integer division; divisor 0 is an error.
    void SetSize(uint32_t sx, uint32_t sy, uint32_t frequency_divisor);
    // With repeat the table of per-octave periods is rebuilt from the current sizes.
    void SetParams(uint32_t octave_count, float persistence, uint32_t repeat_flag);
    void SetNoiseType(int noise_function, int combination_rule) {
        noise = noise_function;
        combination = combination_rule;
    }

    float Get(float x, float y) const;

    // The periods octave o folds its lattice into while repeat is on: its table entry, or
    // the same formula for octaves beyond the table.
    Vec2i OctavePeriods(uint32_t octave) const;

    uint32_t rep_x = kNoRepeat;
    uint32_t rep_y = kNoRepeat;
    uint32_t size_x = 1;
    uint32_t size_y = 1;
    std::unique_ptr<Vec2i[]> rep_arr;  // one entry per octave while repeat is on
    uint32_t rep_count = 0;            // entries in rep_arr
    float scale_x = 1.0f;
    float scale_y = 1.0f;
    int noise = kInterpolated;
};

}  // namespace KR
