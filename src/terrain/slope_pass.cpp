// Slope collapse: ground steeper than the talus towards a neighbour slides partly into its
// lower neighbours. The pass is defined as a scatter visiting the vertices column by column;
// here every vertex gathers what it receives, adding the contributions in the order the
// scatter would, so rows can be split among threads with the same result. Each vertex works
// out every test and sum in vector lanes and keeps what the scatter would have added, which
// gives the same bits.

#include "terrain/slope_pass.h"

#include <algorithm>

#include "terrain/directions.h"
#include "terrain/flow_pass.h"
#include "terrain/simd.h"
#include "terrain/step_constants.h"
#include "terrain/step_scratch.h"
#include "terrain/step_timing.h"
#include "terrain/step_workers.h"
#include "terrain/vertex_2d_field.h"

namespace {

using namespace step_constants;
namespace dir = directions;

struct slope_pass {
    const vertex_2d_field& R;
    vertex_2d_field& W;
    step_scratch& scratch;
    int columns, rows;
    step_timing* timing;

    // What each vertex of field row y sends: its own loss and the share for each direction.
    // Ring positions send nothing (count 0). Lanes whose vertex sends nothing get values that
    // are never read.
    template <class V>
    void SourceRow(int y, float* count, float* self, float* share[8]) const {
        const int width = columns + 2;
        for (int x = 0; x < width; ++x)
            count[x] = 0;
        if (y < 1 || y > rows) return;
        const ptrdiff_t stride = R.Stride();
        const float* t = R.Terrain() + R.Index(0, y);
        simd::ForColumns<V>(1, columns + 1, [&](auto lanes, int x) {
            using T = decltype(lanes);
            const T zero{}, one = simd::Splat<T>(1.0f);
            T h[9], d[8];
            for (int i = 0; i < 9; ++i)
                h[i] = simd::Load<T>(t + x + dir::dy[i] * stride + dir::dx[i]);
            const T a = h[8] - simd::Splat<T>(kTalusAxis);
            const T b = h[8] - simd::Splat<T>(kTalusDiagonal);
            T n = zero;
            for (int i = 0; i < 4; ++i) {
                d[i] = simd::Select(a > h[i], a - h[i], zero);
                n = n + simd::Select(a > h[i], one, zero);
            }
            for (int i = 4; i < 8; ++i) {
                d[i] = simd::Select(b > h[i], (b - h[i]) * simd::Splat<T>(kDiagonalSlide), zero);
                n = n + simd::Select(b > h[i], one, zero);
            }
            simd::Store(count + x, n);
            T sum = zero;
            for (int i = 0; i < 8; ++i)
                sum = sum + d[i];
            sum = sum + zero;  // the vertex itself sends nothing to itself
            const T twice = n * simd::Splat<T>(2.0f);
            simd::Store(self + x, zero - sum / twice);
            for (int i = 0; i < 8; ++i)
                simd::Store(share[i] + x, d[i] / twice);
        });
    }

    // Adds to each vertex of rows [y_begin, y_end) what its neighbours and itself send it,
    // in the column-major order in which the sources are visited.
    template <class V>
    void Gather(int y_begin, int y_end, int thread) {
        timed_part timed(timing, thread, step_timing::kSlope);
        struct source_row {
            float *count, *self, *share[8];
        } src[3];
        for (int r = 0; r < 3; ++r) {
            src[r].count = scratch.Private(thread, step_scratch::kSlopeSources + 10 * r);
            src[r].self = scratch.Private(thread, step_scratch::kSlopeSources + 10 * r + 1);
            for (int i = 0; i < 8; ++i)
                src[r].share[i] =
                    scratch.Private(thread, step_scratch::kSlopeSources + 10 * r + 2 + i);
        }
        auto fill = [&](int y) {
            source_row& row = src[(y + 3) % 3];
            SourceRow<V>(y, row.count, row.self, row.share);
        };
        fill(y_begin - 1);
        fill(y_begin);
        for (int y = y_begin; y < y_end; ++y) {
            fill(y + 1);
            const source_row& up = src[(y + 2) % 3];    // row y - 1
            const source_row& mid = src[(y + 3) % 3];   // row y
            const source_row& down = src[(y + 4) % 3];  // row y + 1
            float* t = W.Terrain() + W.Index(0, y);
            simd::ForColumns<V>(1, columns + 1, [&](auto lanes, int x) {
                using T = decltype(lanes);
                T v = simd::Load<T>(t + x);
                // Sources by column, then by row; each sends along its direction towards us.
                auto receive = [&](const source_row& from, const float* amount, int at) {
                    const auto sends = simd::Load<T>(from.count + at) > T{};
                    v = simd::Select(sends, v + simd::Load<T>(amount + at), v);
                };
                receive(up, up.share[4], x - 1);
                receive(mid, mid.share[0], x - 1);
                receive(down, down.share[6], x - 1);
                receive(up, up.share[2], x);
                receive(mid, mid.self, x);
                receive(down, down.share[3], x);
                receive(up, up.share[7], x + 1);
                receive(mid, mid.share[1], x + 1);
                receive(down, down.share[5], x + 1);
                simd::Store(t + x, v);
            });
        }
    }
};

// Built for processors with AVX2 and for any x86-64, with the same IEEE operations.
__attribute__((target("avx2"), flatten)) void GatherAvx2(slope_pass& pass, int y_begin, int y_end,
                                                         int thread) {
    pass.Gather<simd::vf8>(y_begin, y_end, thread);
}
__attribute__((flatten)) void GatherPlain(slope_pass& pass, int y_begin, int y_end, int thread) {
    pass.Gather<simd::vf4>(y_begin, y_end, thread);
}

void Gather(slope_pass& pass, int y_begin, int y_end, int thread) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && step_kernel_limit != step_kernels::plain)
        GatherAvx2(pass, y_begin, y_end, thread);
    else
        GatherPlain(pass, y_begin, y_end, thread);
}

}  // namespace

void RunSlopePass(const vertex_2d_field& R, vertex_2d_field& W, step_scratch& scratch,
                  step_workers* workers) {
    const int columns = R.Width() - 2, rows = R.Height() - 2;
    const int threads =
        scratch.thread_choice.Crowded() ? 1 : std::min(workers ? workers->Count() : 1, rows);
    slope_pass slope{R, W, scratch, columns, rows, workers ? workers->timing : nullptr};
    if (threads == 1) {
        Gather(slope, 1, rows + 1, 0);
        return;
    }
    workers->Run([&](int t) {
        if (t < threads) Gather(slope, 1 + rows * t / threads, 1 + rows * (t + 1) / threads, t);
    });
}
