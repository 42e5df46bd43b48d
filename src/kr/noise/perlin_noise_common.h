#pragma once
// What the 2D and 3D fractal noises share: the octave parameters, the way an octave's value
// enters the sum, and the per-octave repetition periods that make the noise tile.

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

#include "kr/base/error.h"
#include "kr/math/math_constants.h"

namespace KR {

struct Vec2i {
    int32_t x, y;
};

struct Vec3i {
    int32_t x, y, z;
};

// A repetition period this large never folds a coordinate the program samples.
inline constexpr uint32_t kNoRepeat = 0x7fffffff;

// trunc(2^octave * size / ((size - 1) / divisor)): the lattice period of one octave across a
// region of `size`. Sizes of 0 or 1 give no usable period; results are held within
// [1, kNoRepeat] so that no modulo by zero or out-of-range conversion can follow.
int32_t RepetitionPeriod(uint32_t octave, uint32_t size, uint32_t divisor);

// Allocates a repetition table of `count` entries or raises ErrorMem with the given text.
// Tables past 4 GiB (half a billion octaves) count as failed: their size would not fit the error.
template <class T>
std::unique_ptr<T[]> AllocateRepetitionTable(uint32_t count, const char* place,
                                             const char* detail) {
    const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(T);
    T* table = bytes > UINT32_MAX ? nullptr : new (std::nothrow) T[count];
    if (!table)
        throw ErrorMem(place, detail,
                       static_cast<uint32_t>(bytes > UINT32_MAX ? UINT32_MAX : bytes));
    return std::unique_ptr<T[]>(table);
}

// Adds the value v of one octave with amplitude a to the running sum by the given rule.
inline float Combine(int combination, float v, float a) {
    switch (combination) {
        case 1:
            return std::fabs(v) * a;
        case 2:
            return (0.5f * std::cos((v + 1.0f) * kPi) + 0.5f) * a;
        default:
            return v * a;
    }
}

class PerlinNoiseCommon {
  public:
    // A negative seed draws one from the random generator.
    void SetSeed(int seed);
    void SetPersistence(float persistence);
    void SetCombination(int combination_rule) { combination = combination_rule; }

    // The extremes of the octave sum, for mapping Get to a fixed range.
    float GetMax() const;
    float GetMin() const;

    uint32_t seed = 0;
    uint32_t divisor = 1;  // base-octave lattice cells across the region size
    uint32_t repeat = 0;   // 1: each octave's lattice is periodic (table in use)
    uint32_t octaves = 3;
    float amplitude_ratio = 2.0f;  // amplitude factor between octaves, 1 / persistence
    int combination = 0;

  protected:
    // Not a polymorphic base: only the noise classes derive, and only they are destroyed.
    PerlinNoiseCommon() = default;
    ~PerlinNoiseCommon() = default;
    PerlinNoiseCommon(const PerlinNoiseCommon&) = default;
    PerlinNoiseCommon& operator=(const PerlinNoiseCommon&) = default;
};

}  // namespace KR
