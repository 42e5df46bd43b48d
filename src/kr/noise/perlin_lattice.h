#pragma once
// The value-noise lattice: integer hash, truncation, folding into a repetition period and
// cosine interpolation. Inline, because every noise sample runs them dozens of times.
//
// Value noise works in float like the coordinates and results of Get; each lattice value is
// the exact 1 - m / 2^30 rounded to float once.

#include <cmath>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kr/math/math_constants.h"
#include "kr/noise/perlin_noise_common.h"

namespace KR::lattice {

// The lattice value for a combined index n, in (-1, 1]: 1 - m / 2^30 rounded to float.
// Computed as float(2^30 - m) * 2^-30, which rounds the same exact value once, without the
// trip through double (checked equal for every m).
inline float Value(uint32_t n) {
    n = (n << 13) ^ n;
    const uint32_t m = ((n * n * 15731u + 789221u) * n + 1376312589u) & 0x7fffffffu;
    return static_cast<float>(static_cast<int32_t>(0x40000000u - m)) * 0x1p-30f;
}

// Truncation toward zero. Out of range or NaN gives INT32_MIN (what the processor's
// conversion answers) rather than undefined behaviour.
inline int32_t Trunc(float x) {
#if defined(__SSE2__)
    return _mm_cvttss_si32(_mm_set_ss(x));
#else
    return x >= -2147483648.0f && x < 2147483648.0f ? static_cast<int32_t>(x) : INT32_MIN;
#endif
}

inline int32_t Trunc(double x) {
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(x));
#else
    return x > -2147483649.0 && x < 2147483648.0 ? static_cast<int32_t>(x) : INT32_MIN;
#endif
}

// Weight of the upper value when cosine-interpolating at fraction t.
inline float CosineWeight(float t) {
    return (1.0f - std::cos(kPi * t)) * 0.5f;
}

inline float Blend(float a, float b, float weight) {
    return a * (1.0f - weight) + b * weight;
}

// Folds the lattice indices first, first + 1, ..., first + kCount - 1 (wrapping as unsigned)
// into [0, period) with a single division; equal to folding each one on its own.
template <int kCount, bool kPeriodic>
inline void FoldRun(uint32_t first, uint32_t period, uint32_t* out) {
    // Without repetition the period is a constant and the compiler drops the division.
    const uint32_t p = kPeriodic ? period : kNoRepeat;
    out[0] = first % p;
    for (int k = 1; k < kCount; ++k) {
        const uint32_t next = out[k - 1] + 1;
        out[k] = first + k == 0 ? 0 : (next == p ? 0 : next);
    }
}

}  // namespace KR::lattice
