#pragma once
// Fractal noise in space: the lattice value noise of the plane extended by a third axis, or
// improved gradient noise, summed over octaves like PerlinNoise2D.

#include <cstdint>
#include <memory>

#include "kr/noise/perlin_noise_common.h"

namespace KR {

class PerlinNoise3D : public PerlinNoiseCommon {
  public:
    // The noise functions an octave can use.
    enum : int {
        kRaw = 0,
        kInterpolated = 1,
        kSmoothed = 2,
        kInterpolatedSmoothed = 3,
        kImproved = 4,
    };

    PerlinNoise3D() = default;
    // The repetition table is owned; copies go through CopyFrom.
    PerlinNoise3D(const PerlinNoise3D&) = delete;
    PerlinNoise3D& operator=(const PerlinNoise3D&) = delete;
    PerlinNoise3D(PerlinNoise3D&&) = default;
    PerlinNoise3D& operator=(PerlinNoise3D&&) = default;

    // Scale becomes 1 / (size / divisor) with an integer division; divisor 0 is an error.
    void SetSize(uint32_t sx, uint32_t sy, uint32_t sz, uint32_t frequency_divisor);
    // With repeat the table of per-octave periods is rebuilt from the current sizes.
    void SetParams(uint32_t octave_count, float persistence, uint32_t repeat_flag);
    void SetNoiseType(int noise_function, int combination_rule) {
        noise = noise_function;
        combination = combination_rule;
    }
    // A random offset in [0, 256] per axis (drawn z first), or the given one. Only the
    // improved noise uses it.
    void SetOffset();
    void SetOffset(float x, float y, float z);

    // Takes over another noise's configuration; sampling both gives the same values.
    void CopyFrom(const PerlinNoise3D& other);

    // octave_count 0 means the stored number of octaves.
    float Get(float x, float y, float z, uint32_t octave_count = 0) const;

    // The periods octave o folds its lattice into while repeat is on: its table entry, or
    // the same formula for octaves beyond the table.
    Vec3i OctavePeriods(uint32_t octave) const;

    uint32_t rep_x = kNoRepeat;
    uint32_t rep_y = kNoRepeat;
    uint32_t rep_z = kNoRepeat;
    uint32_t size_x = 1;
    uint32_t size_y = 1;
    uint32_t size_z = 1;
    std::unique_ptr<Vec3i[]> rep_arr;  // one entry per octave while repeat is on
    uint32_t rep_count = 0;            // entries in rep_arr
    float scale_x = 1.0f;
    float scale_y = 1.0f;
    float scale_z = 1.0f;
    float offset_x = 0.0f;
    float offset_y = 0.0f;
    float offset_z = 0.0f;
    int noise = kInterpolated;
};

}  // namespace KR
