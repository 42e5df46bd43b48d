#pragma once
// Eight-float vectors for the step's row kernels (GCC vector extensions: two SSE registers on
// a plain x86-64 build, one AVX register where the kernels are built for AVX2). Every
// operation is an ordinary IEEE single-precision operation, so results do not depend on the
// vector width.

#include <cstring>

namespace simd {

typedef float vf __attribute__((vector_size(32)));
typedef int vi __attribute__((vector_size(32)));
constexpr int kWidth = 8;

inline vf Load(const float* p) {
    vf v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(float* p, vf v) { std::memcpy(p, &v, sizeof v); }
inline vf Splat(float x) { return vf{} + x; }
// Lanes of mask (all bits set or clear) take a, the others b.
inline vf Select(vi mask, vf a, vf b) { return mask ? a : b; }
// x < 0 ? 0 : x, keeping NaN and -0 as a plain comparison does.
inline vf ClampNegative(vf x) { return Select(x < 0, vf{}, x); }
// Lanes whose amount moves: not (q <= 0), so NaN counts as moving, as a plain test does.
inline vi Moves(vf q) { return ~(q <= 0); }

}  // namespace simd
