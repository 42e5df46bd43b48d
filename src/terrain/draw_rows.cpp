#include "terrain/draw_rows.h"

#include <immintrin.h>
#include <cstdint>

namespace {

// Interleaves four triples per three vectors: x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3.
void InterleaveTriples(const float* a, const float* b, const float* c, int n, float* out) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 x = _mm_loadu_ps(a + i), y = _mm_loadu_ps(b + i), z = _mm_loadu_ps(c + i);
        const __m128 xy01 = _mm_unpacklo_ps(x, y), xy23 = _mm_unpackhi_ps(x, y);
        const __m128 zx01 = _mm_unpacklo_ps(z, x), zx23 = _mm_unpackhi_ps(z, x);
        const __m128 yz01 = _mm_unpacklo_ps(y, z), yz23 = _mm_unpackhi_ps(y, z);
        _mm_storeu_ps(out + 3 * i, _mm_shuffle_ps(xy01, zx01, _MM_SHUFFLE(3, 0, 1, 0)));
        _mm_storeu_ps(out + 3 * i + 4, _mm_shuffle_ps(yz01, xy23, _MM_SHUFFLE(1, 0, 3, 2)));
        _mm_storeu_ps(out + 3 * i + 8, _mm_shuffle_ps(zx23, yz23, _MM_SHUFFLE(3, 2, 3, 0)));
    }
    for (; i < n; ++i) {
        out[3 * i] = a[i];
        out[3 * i + 1] = b[i];
        out[3 * i + 2] = c[i];
    }
}

}  // namespace

void StreamFloats(const float* in, int n, float* out) {
    int i = 0;
    // Plain stores up to the first 16-byte boundary and after the last one.
    for (; i < n && (reinterpret_cast<uintptr_t>(out + i) & 15) != 0; ++i)
        out[i] = in[i];
    for (; i + 4 <= n; i += 4)
        _mm_stream_ps(out + i, _mm_loadu_ps(in + i));
    for (; i < n; ++i)
        out[i] = in[i];
}

void StreamTriples(const float* a, const float* b, const float* c, int n, float* staging,
                   float* out) {
    InterleaveTriples(a, b, c, n, staging);
    StreamFloats(staging, 3 * n, out);
}

void FinishStreaming() {
    _mm_sfence();
}
