#pragma once
// Shared machinery of the texture generators: owned buffers that fail with the generator's
// memory error, the progress dots, the float-to-byte conversion and the row split over threads.

#include <cstdint>
#include <functional>
#include <memory>

#include "kr/procedural/procedural_textures.h"

namespace KR {

// The image, or ErrorMem(place, ": Not enough memory!") with the requested size.
ProceduralImage AllocateImage(const char* place, uint32_t w, uint32_t h, uint32_t d);
std::unique_ptr<float[]> AllocateFloats(const char* place, uint64_t count);

// A dot every max(1, n / 32) iterations of an outer loop of n gives about 32 dots.
inline uint32_t DotStep(uint32_t n) {
    return n / 32 > 0 ? n / 32 : 1;
}

// Noise scales are 1 / (size / divisor) with an integer division: a size below the divisor
// would give an infinite scale and NaN samples. Such sizes get a divisor of the size itself
// (one lattice cell across the region); sizes at least the divisor keep it.
inline uint32_t FitDivisor(uint32_t size, uint32_t divisor) {
    return size >= divisor ? divisor : (size > 0 ? size : 1);
}

// Truncation toward zero, held within [0, 255] so that a value the arithmetic pushes outside
// (or a NaN from a degenerate input) cannot turn into an undefined conversion.
inline uint8_t ToByte(float v) {
    if (!(v > 0.0f)) return 0;
    return v >= 255.0f ? 255 : static_cast<uint8_t>(v);
}

inline void PutTexel(uint8_t* at, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    at[0] = r;
    at[1] = g;
    at[2] = b;
    at[3] = a;
}

// Runs body(row) for every row in 0 .. count - 1 on up to `threads` threads, the calling one
// included (0: one per processor). Rows are handed out one at a time, so the rows must not
// depend on each other. With dot_every > 0 a "." goes to the console for every row that is a
// multiple of it; only the calling thread writes them. The body must not throw: it runs
// where no one could catch it.
void ForEachRow(uint32_t count, unsigned threads, uint32_t dot_every,
                const std::function<void(uint32_t)>& body);

}  // namespace KR
