#include "terrain/draw_rows.h"

#include <immintrin.h>
#include <cstdint>

namespace {

bool Aligned(const float* p, uintptr_t bytes) {
    return (reinterpret_cast<uintptr_t>(p) & (bytes - 1)) == 0;
}

// Four triples in three vectors: x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3. From i on, while
// four more triples remain; returns where it stopped. out + 3 * i is 16-byte aligned.
int StreamTriples4(const float* a, const float* b, const float* c, int i, int n, float* out) {
    for (; i + 4 <= n; i += 4) {
        const __m128 x = _mm_loadu_ps(a + i), y = _mm_loadu_ps(b + i), z = _mm_loadu_ps(c + i);
        const __m128 xy01 = _mm_unpacklo_ps(x, y), xy23 = _mm_unpackhi_ps(x, y);
        const __m128 zx01 = _mm_unpacklo_ps(z, x), zx23 = _mm_unpackhi_ps(z, x);
        const __m128 yz01 = _mm_unpacklo_ps(y, z), yz23 = _mm_unpackhi_ps(y, z);
        _mm_stream_ps(out + 3 * i, _mm_shuffle_ps(xy01, zx01, _MM_SHUFFLE(3, 0, 1, 0)));
        _mm_stream_ps(out + 3 * i + 4, _mm_shuffle_ps(yz01, xy23, _MM_SHUFFLE(1, 0, 3, 2)));
        _mm_stream_ps(out + 3 * i + 8, _mm_shuffle_ps(zx23, yz23, _MM_SHUFFLE(3, 2, 3, 0)));
    }
    return i;
}

// Eight triples in three vectors, with out + 3 * i 32-byte aligned.
__attribute__((target("avx"))) int StreamTriples8(const float* a, const float* b, const float* c,
                                                  int i, int n, float* out) {
    for (; i + 8 <= n; i += 8) {
        const __m256 x = _mm256_loadu_ps(a + i), y = _mm256_loadu_ps(b + i);
        const __m256 z = _mm256_loadu_ps(c + i);
        // x0 x2 y0 y2 | x4 x6 y4 y6, y1 y3 z1 z3 | ..., z0 z2 x1 x3 | ...
        const __m256 xy = _mm256_shuffle_ps(x, y, _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 yz = _mm256_shuffle_ps(y, z, _MM_SHUFFLE(3, 1, 3, 1));
        const __m256 zx = _mm256_shuffle_ps(z, x, _MM_SHUFFLE(3, 1, 2, 0));
        // x0 y0 z0 x1 | x4 y4 z4 x5, y1 z1 x2 y2 | y5 z5 x6 y6, z2 x3 y3 z3 | z6 x7 y7 z7
        const __m256 r03 = _mm256_shuffle_ps(xy, zx, _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 r14 = _mm256_shuffle_ps(yz, xy, _MM_SHUFFLE(3, 1, 2, 0));
        const __m256 r25 = _mm256_shuffle_ps(zx, yz, _MM_SHUFFLE(3, 1, 3, 1));
        _mm256_stream_ps(out + 3 * i, _mm256_permute2f128_ps(r03, r14, 0x20));
        _mm256_stream_ps(out + 3 * i + 8, _mm256_permute2f128_ps(r25, r03, 0x30));
        _mm256_stream_ps(out + 3 * i + 16, _mm256_permute2f128_ps(r14, r25, 0x31));
    }
    return i;
}

bool HasAvx() {
    static const bool avx = __builtin_cpu_supports("avx");
    return avx;
}

}  // namespace

void StreamFloats(const float* in, int n, float* out) {
    int i = 0;
    // Plain stores up to the first 16-byte boundary and after the last one.
    for (; i < n && !Aligned(out + i, 16); ++i)
        out[i] = in[i];
    for (; i + 4 <= n; i += 4)
        _mm_stream_ps(out + i, _mm_loadu_ps(in + i));
    for (; i < n; ++i)
        out[i] = in[i];
}

void StreamTriples(const float* a, const float* b, const float* c, int n, float* out) {
    const bool avx = HasAvx();
    int i = 0;
    // Plain stores until the triples reach a vector boundary, and for the last few.
    for (; i < n && !Aligned(out + 3 * i, avx ? 32 : 16); ++i) {
        out[3 * i] = a[i];
        out[3 * i + 1] = b[i];
        out[3 * i + 2] = c[i];
    }
    i = avx ? StreamTriples8(a, b, c, i, n, out) : StreamTriples4(a, b, c, i, n, out);
    for (; i < n; ++i) {
        out[3 * i] = a[i];
        out[3 * i + 1] = b[i];
        out[3 * i + 2] = c[i];
    }
}

void FinishStreaming() {
    _mm_sfence();
}
