#pragma once
// Improved gradient noise after the published reference algorithm of 2002. It works in
// double like the reference, so its values agree with the reference's up to the caller's
// final rounding. Lattice cells are found by truncation, not floor.

#include <array>
#include <cstdint>

#include "kr/noise/perlin_lattice.h"

namespace KR {

// The reference permutation of 0 ... 255, written twice so that p[i + 1] needs no wrap.
extern const std::array<uint8_t, 512> kImprovedNoisePermutation;

namespace improved_noise {

inline double Fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

inline double Lerp(double t, double a, double b) {
    return a + t * (b - a);
}

// Where the hash's u and v come from in (x, y, z, -x, -y, -z): u is x below 8, else y; v is
// y below 4, x for 12 and 14, else z; bits 0 and 1 negate u and v. A table instead of
// branches, because the hash is random and the branches would mispredict half the time.
inline constexpr int8_t kGradU[16] = {0, 3, 0, 3, 0, 3, 0, 3, 1, 4, 1, 4, 1, 4, 1, 4};
inline constexpr int8_t kGradV[16] = {1, 1, 4, 4, 2, 2, 5, 5, 2, 2, 5, 5, 0, 2, 3, 5};

inline double Grad(int hash, double x, double y, double z) {
    const int h = hash & 15;
    const double c[6] = {x, y, z, -x, -y, -z};
    return c[kGradU[h]] + c[kGradV[h]];
}

}  // namespace improved_noise

// Noise in [-1, 1], 0 at every lattice point, periodic with 256 along each axis.
inline double ImprovedNoise(double x, double y, double z) {
    using improved_noise::Fade;
    using improved_noise::Grad;
    using improved_noise::Lerp;
    const auto& p = kImprovedNoisePermutation;
    const int32_t ix = lattice::Trunc(x), iy = lattice::Trunc(y), iz = lattice::Trunc(z);
    const int X = ix & 255, Y = iy & 255, Z = iz & 255;
    x -= ix;
    y -= iy;
    z -= iz;
    const double u = Fade(x), v = Fade(y), w = Fade(z);
    const int A = p[X] + Y, AA = p[A] + Z, AB = p[A + 1] + Z;
    const int B = p[X + 1] + Y, BA = p[B] + Z, BB = p[B + 1] + Z;
    return Lerp(
        w,
        Lerp(v, Lerp(u, Grad(p[AA], x, y, z), Grad(p[BA], x - 1, y, z)),
             Lerp(u, Grad(p[AB], x, y - 1, z), Grad(p[BB], x - 1, y - 1, z))),
        Lerp(v, Lerp(u, Grad(p[AA + 1], x, y, z - 1), Grad(p[BA + 1], x - 1, y, z - 1)),
             Lerp(u, Grad(p[AB + 1], x, y - 1, z - 1), Grad(p[BB + 1], x - 1, y - 1, z - 1))));
}

}  // namespace KR
