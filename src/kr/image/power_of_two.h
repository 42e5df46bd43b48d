#pragma once
// The texture side an image side is fitted to when it is not a power of two.

#include <cstdint>

#include "kr/image/texture_defaults.h"

namespace KR {

// A power of two has exactly one bit set (1 counts).
inline bool IsPowerOfTwo(int64_t v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// NextLarger: the smallest power of two at least `size` and at most `largest`, else
// `largest`. NextSmaller: the largest power of two at most `size` and `largest`, never
// below 2.
int32_t FitPowerOfTwo(int32_t size, PowerOfTwoRule rule, int32_t largest);

}  // namespace KR
