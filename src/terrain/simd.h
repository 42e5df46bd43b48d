#pragma once
// Float vectors for the step's row kernels, as GCC vector extensions: eight lanes where the
// kernels are built for AVX2, four (one SSE register) on a plain x86-64 build. Every
// operation is an ordinary IEEE single-precision operation, so results do not depend on the
// vector width.

#include <cstring>

namespace simd {

typedef float vf8 __attribute__((vector_size(32)));
typedef float vf4 __attribute__((vector_size(16)));
typedef float vf16 __attribute__((vector_size(64)));

template <class V>
constexpr int Lanes = int(sizeof(V) / sizeof(float));

template <class V>
inline V Load(const float* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class V>
inline void Store(float* p, V v) {
    std::memcpy(p, &v, sizeof v);
}
template <class V>
inline V Splat(float x) {
    return V{} + x;
}
// Lanes of mask (all bits set or clear) take a, the others b.
template <class M, class V>
inline V Select(M mask, V a, V b) {
    return mask ? a : b;
}
// x < 0 ? 0 : x, keeping NaN and -0 as a plain comparison does.
template <class V>
inline V ClampNegative(V x) {
    return Select(x < V{}, V{}, x);
}
// Lanes whose amount moves: not (q <= 0), so NaN counts as moving, as a plain test does.
template <class V>
inline auto Moves(V q) {
    return ~(q <= V{});
}

// Runs point(lanes, column) for the columns [from, to): whole vectors of V first, then single
// floats, so that nothing outside the range is read past its vector or written.
template <class V, class Point>
inline void ForColumns(int from, int to, Point point) {
    int col = from;
    for (; col + Lanes<V> <= to; col += Lanes<V>)
        point(V{}, col);
    for (; col < to; ++col)
        point(0.0f, col);
}

}  // namespace simd
