// Slope collapse: ground steeper than the talus towards a neighbour slides partly into its
// lower neighbours. The pass is defined as a scatter visiting the vertices column by column;
// here every vertex gathers what it receives, adding the contributions in the order the
// scatter would, so rows can be split among threads with the same result.

#include "terrain/slope_pass.h"

#include <algorithm>

#include "terrain/directions.h"
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
    // Ring positions send nothing (count 0).
    void SourceRow(int y, float* count, float* self, float* share[8]) const {
        const int width = columns + 2;
        for (int x = 0; x < width; ++x)
            count[x] = 0;
        if (y < 1 || y > rows) return;
        const int stride = R.Stride();
        const float* t = R.Terrain();
        for (int x = 1; x <= columns; ++x) {
            const size_t v = R.Index(x, y);
            float h[9], d[9];
            for (int i = 0; i < 9; ++i) {
                h[i] = t[v + ptrdiff_t(dir::dy[i]) * stride + dir::dx[i]];
                d[i] = 0;
            }
            const float a = h[8] - kTalusAxis;
            const float b = h[8] - kTalusDiagonal;
            int n = 0;
            for (int i = 0; i < 4; ++i)
                if (a > h[i]) d[i] = a - h[i], ++n;
            for (int i = 4; i < 8; ++i)
                if (b > h[i]) d[i] = (b - h[i]) * kDiagonalSlide, ++n;
            count[x] = float(n);
            if (n == 0) continue;
            float sum = 0.0f;
            for (int i = 0; i < 9; ++i)
                sum += d[i];
            self[x] = 0 - sum / float(2 * n);
            for (int i = 0; i < 8; ++i)
                share[i][x] = d[i] / float(2 * n);
        }
    }

    // Adds to each vertex of rows [y_begin, y_end) what its neighbours and itself send it,
    // in the column-major order in which the sources are visited.
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
            SourceRow(y, row.count, row.self, row.share);
        };
        fill(y_begin - 1);
        fill(y_begin);
        for (int y = y_begin; y < y_end; ++y) {
            fill(y + 1);
            const source_row& up = src[(y + 2) % 3];    // row y - 1
            const source_row& mid = src[(y + 3) % 3];   // row y
            const source_row& down = src[(y + 4) % 3];  // row y + 1
            float* t = W.Terrain() + W.Index(0, y);
            for (int x = 1; x <= columns; ++x) {
                float v = t[x];
                // Sources by column, then by row; each sends along its direction towards us.
                if (up.count[x - 1] > 0) v += up.share[4][x - 1];
                if (mid.count[x - 1] > 0) v += mid.share[0][x - 1];
                if (down.count[x - 1] > 0) v += down.share[6][x - 1];
                if (up.count[x] > 0) v += up.share[2][x];
                if (mid.count[x] > 0) v += mid.self[x];
                if (down.count[x] > 0) v += down.share[3][x];
                if (up.count[x + 1] > 0) v += up.share[7][x + 1];
                if (mid.count[x + 1] > 0) v += mid.share[1][x + 1];
                if (down.count[x + 1] > 0) v += down.share[5][x + 1];
                t[x] = v;
            }
        }
    }
};

}  // namespace

void RunSlopePass(const vertex_2d_field& R, vertex_2d_field& W, step_scratch& scratch,
                  step_workers* workers) {
    const int columns = R.Width() - 2, rows = R.Height() - 2;
    const int threads =
        scratch.thread_choice.Crowded() ? 1 : std::min(workers ? workers->Count() : 1, rows);
    slope_pass slope{R, W, scratch, columns, rows, workers ? workers->timing : nullptr};
    if (threads == 1) {
        slope.Gather(1, rows + 1, 0);
        return;
    }
    workers->Run([&](int t) {
        if (t < threads) slope.Gather(1 + rows * t / threads, 1 + rows * (t + 1) / threads, t);
    });
}
