// Random Points: every cell is the sum of bumps height / ((dist / radius)^2 + 1) of points
// scattered over a square a little larger than the grid's diagonal.
//
// The points are drawn first on the calling thread; then the rows are spread over the step
// threads. Each cell adds its points' bumps in point order with plain IEEE operations in
// one vector lane, so the grid does not depend on the thread count or the vector width.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "terrain/flow_pass.h"
#include "terrain/simd.h"
#include "terrain/terrain.h"

namespace {

using simd::vf16;
using simd::vf4;
using simd::vf8;

struct alignas(16) point {
    float x, y, height, radius;
};

inline vf4 Sqrt(vf4 v) {
    return vf4(_mm_sqrt_ps(__m128(v)));
}
__attribute__((target("avx2"))) inline vf8 Sqrt(vf8 v) {
    return vf8(_mm256_sqrt_ps(__m256(v)));
}
__attribute__((target("avx512f"))) inline vf16 Sqrt(vf16 v) {
    // The unmasked form trips a maybe-uninitialized warning inside GCC 12's header.
    return vf16(_mm512_maskz_sqrt_ps(__mmask16(0xFFFF), __m512(v)));
}

// Four vectors of cells per block keep four independent sums in flight.
constexpr int kBlockVectors = 4;

// Cells of rows [first, end) into grid; columns is the grid width, xs holds the column
// numbers as floats, padded to whole blocks.
template <class V>
inline void Rows(const std::vector<point>& points, const std::vector<float>& xs, float* grid,
                 int columns, int first, int end) {
    constexpr int L = simd::Lanes<V>;
    constexpr int kBlock = kBlockVectors * L;
    alignas(64) float block[kBlock];
    for (int j = first; j < end; ++j) {
        const float fj = float(j);
        for (int i0 = 0; i0 < columns; i0 += kBlock) {
            V x[kBlockVectors], sum[kBlockVectors];
            for (int k = 0; k < kBlockVectors; ++k) {
                x[k] = simd::Load<V>(xs.data() + i0 + k * L);
                sum[k] = V{};
            }
            for (const point& p : points) {
                const float dy = p.y - fj;
                const V dy2 = simd::Splat<V>(dy * dy);
                const V px = simd::Splat<V>(p.x), height = simd::Splat<V>(p.height);
                const V radius = simd::Splat<V>(p.radius);
                for (int k = 0; k < kBlockVectors; ++k) {
                    const V dx = px - x[k];
                    const V q = Sqrt(dx * dx + dy2) / radius;
                    sum[k] += height / (q * q + 1.0f);
                }
            }
            for (int k = 0; k < kBlockVectors; ++k)
                simd::Store(block + k * L, sum[k]);
            std::copy_n(block, std::min(kBlock, columns - i0), grid + size_t(j) * columns + i0);
        }
    }
}

__attribute__((target("avx512f"), flatten)) void RowsAvx512(const std::vector<point>& points,
                                                            const std::vector<float>& xs,
                                                            float* grid, int columns, int first,
                                                            int end) {
    Rows<vf16>(points, xs, grid, columns, first, end);
}
__attribute__((target("avx2"), flatten)) void RowsAvx2(const std::vector<point>& points,
                                                       const std::vector<float>& xs, float* grid,
                                                       int columns, int first, int end) {
    Rows<vf8>(points, xs, grid, columns, first, end);
}
__attribute__((flatten)) void RowsPlain(const std::vector<point>& points,
                                        const std::vector<float>& xs, float* grid, int columns,
                                        int first, int end) {
    Rows<vf4>(points, xs, grid, columns, first, end);
}

using rows_kernel = decltype(&RowsPlain);

// The widest kernel the processor runs, within the limit tests and benchmarks may set.
rows_kernel ChooseKernel(int& lanes) {
    static const bool avx512 = __builtin_cpu_supports("avx512f");
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx512 && step_kernel_limit == step_kernels::best) {
        lanes = 16;
        return RowsAvx512;
    }
    if (avx2 && step_kernel_limit != step_kernels::plain) {
        lanes = 8;
        return RowsAvx2;
    }
    lanes = 4;
    return RowsPlain;
}

}  // namespace

int terrain::GenerateTerrainRandomPoint(terrain_generation_info& info) {
    const int X = info.x, Y = info.y;
    const float diag = std::sqrt(float(X) * float(X) + float(Y) * float(Y));
    const float r0 = diag / 10;
    const float m = r0 / 3;

    std::vector<point> points;
    try {
        points.resize(size_t(std::max(0, info.detail)));
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem("terrain::GenerateTerrainRandomPoint", ": Can't alocate points!",
                           uint32_t(info.detail) * 16u);
    }
    for (point& p : points) {
        p.x = KR::RandomFloat(-m, diag + m);
        p.y = KR::RandomFloat(-m, diag + m);
        p.height = KR::RandomFloat(-1.0f, 1.0f);
        p.radius = KR::RandomFloat(r0 / 10, r0);
    }

    int lanes = 4;
    const rows_kernel kernel = ChooseKernel(lanes);
    const int block = kBlockVectors * lanes;
    std::vector<float> xs(size_t((X + block - 1) / block * block));
    for (size_t i = 0; i < xs.size(); ++i)
        xs[i] = float(i);
    float* const grid = info.grid.get();
    RunRowBands(*workers, Y, [&](int first, int end) { kernel(points, xs, grid, X, first, end); });
    return 1;
}
