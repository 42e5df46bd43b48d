// One simulation step of a cluster: rain, the 8-neighbour virtual-pipe flow and slope
// collapse. Every pass reads the read field and writes the write field.
//
// Rain and the first flow phase (accelerate and limit) are fused per row; the transport
// phase, whose result depends on the order in which vertices are visited, follows row by row.
// With several threads, rows are dealt out in turn and each row's transport trails the row
// above by at least three columns, which keeps every vertex's updates in the original order.

#include <thread>

#include "kr/random.h"
#include "terrain/cluster.h"
#include "terrain/directions.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_constants.h"
#include "terrain/step_workers.h"

using namespace step_constants;

namespace {

// Transport of a row trails the row above by this many columns.
constexpr int kWavefrontLag = 3;
// Columns between two reports of transport progress.
constexpr int kProgressChunk = 32;

void WaitForProgress(const std::atomic<int>& progress, int columns) {
    int spins = 0;
    while (progress.load(std::memory_order_acquire) < columns) {
        if (++spins > 64) std::this_thread::yield();
    }
}

struct flow_step {
    const simulation_settings& s;
    const vertex_2d_field& R;
    vertex_2d_field& W;
    step_scratch& scratch;
    int columns, rows;
    bool rain;
    uint32_t random_state;  // of the first draw of the pass

    // Surface heights of field row y, the ring included, as the flow sees them.
    void SurfaceRow(int y, float* out) const {
        const float* t = R.Terrain() + R.Index(0, y);
        const float* w = R.Water() + R.Index(0, y);
        const int width = columns + 2;
        for (int x = 0; x < width; ++x) out[x] = w[x] + t[x];
        if (s.aquarium) {
            if (y == 0 || y == rows + 1) {
                for (int x = 0; x < width; ++x) out[x] = s.z_aquarium;
            } else {
                out[0] = s.z_aquarium;
                out[width - 1] = s.z_aquarium;
            }
        }
    }

    void Rain(int y) {
        float* w = W.Water() + W.Index(0, y);
        if (s.rain_type == 1) {
            const float amount = s.rain_multiplier * s.timescale;
            for (int x = 1; x <= columns; ++x) {
                w[x] += amount;
                if (w[x] < 0) w[x] = 0;
            }
        } else if (s.rain_type == 2) {
            const float* t = W.Terrain() + W.Index(0, y);
            for (int x = 1; x <= columns; ++x) {
                w[x] += t[x] * s.rain_multiplier * s.timescale;
                if (w[x] < 0) w[x] = 0;
            }
        }
    }

    // Random damping of row y: one draw per vertex in row-major order over the whole pass.
    void RandomRow(int y, float* out) const {
        uint32_t state = KR::RandomStateAfter(random_state, uint64_t(y - 1) * uint64_t(columns));
        const float range = s.randomness - 0.0f;
        for (int x = 1; x <= columns; ++x)
            out[x] = static_cast<float>(KR::RandFrom(state) / 32767.0 * range + 0.0f);
    }

    // Phase 1 for row y: accelerate the flows by the surface drops, limit them to the water.
    void Accelerate(int y, int thread) {
        float* above = scratch.ThreadRow(thread, 0);
        float* here = scratch.ThreadRow(thread, 1);
        float* below = scratch.ThreadRow(thread, 2);
        float* damping = scratch.ThreadRow(thread, 3);
        SurfaceRow(y - 1, above);
        SurfaceRow(y, here);
        SurfaceRow(y + 1, below);
        const bool random = s.randomness != 0.0f;
        if (random) RandomRow(y, damping);

        const size_t row = R.Index(0, y);
        const float* water = R.Water() + row;
        const float* in[8];
        float* out[8];
        float* scaled[8];
        for (int i = 0; i < 8; ++i) {
            in[i] = R.Flow(i) + row;
            out[i] = W.Flow(i) + row;
            scaled[i] = scratch.ScaledFlows(y, i);
        }
        float* outflow = W.Outflow() + row;
        const float* rows_by_dy[3] = {above, here, below};
        const float ts = s.timescale;
        for (int x = 1; x <= columns; ++x) {
            const float h = here[x];
            float f[8];
            for (int i = 0; i < 8; ++i) {
                const float q = rows_by_dy[1 + directions::dy[i]][x + directions::dx[i]];
                f[i] = in[i][x] + (h - q) * ts * kFlowAcceleration;
                if (f[i] < 0) f[i] = 0;
            }
            float k = water[x] * kDepthToDamping;
            if (random) k = k - damping[x];
            if (k < 0) k = 0;
            if (k > kDampingCeiling) k = kDampingCeiling;
            float total = 0.0f;
            for (int i = 0; i < 8; ++i) total += f[i];
            float limit = total * k;
            if (!(limit < water[x] * kDampingCeiling)) limit = water[x] * kDampingCeiling;
            if (total > 0) limit = limit / total;
            const float scale = k * limit;
            float sum = 0;
            for (int i = 0; i < 8; ++i) {
                const float v = f[i] * scale;
                scaled[i][x] = v;
                out[i][x] = v;
                sum += v;
            }
            outflow[x] = sum;
        }
    }

    // Phase 2 for columns [x_begin, x_end) of row y: move water along the scaled flows.
    void Transport(int y, int x_begin, int x_end) {
        const int stride = W.Stride();
        const size_t row = W.Index(0, y);
        float* water = W.Water();
        float* flow[8];
        const float* scaled[8];
        for (int i = 0; i < 8; ++i) {
            flow[i] = W.Flow(i);
            scaled[i] = scratch.ScaledFlows(y, i);
        }
        const float ts = s.timescale;
        for (int x = x_begin; x < x_end; ++x) {
            const size_t v = row + size_t(x);
            for (int i = 0; i < 8; ++i) {
                float q = scaled[i][x] * ts;
                if (i >= 4) q *= kDiagonalTransport;
                if (q <= 0) continue;
                const size_t n = v + ptrdiff_t(directions::dy[i]) * stride + directions::dx[i];
                water[n] += q;
                if (water[n] < 0) water[n] = 0;
                water[v] += 0 - q;
                if (water[v] < 0) water[v] = 0;
                // A receiver on the ring gets scratch values here, cleared at the hand-over.
                const float t = q / water[n];
                flow[i][n] = (1 - t) * flow[i][n] + flow[i][v] * t;
                const int j = directions::opposite[i];
                flow[j][n] = (1 - t) * flow[j][n] - q * t * kBackFlowBraking;
                if (flow[j][n] < 0) flow[j][n] = 0;
            }
        }
    }

    // Everything thread `thread` of `threads` does: rows thread + 1, thread + 1 + threads, ...
    void RunThread(int thread, int threads) {
        std::atomic<int>* progress = scratch.progress.get();
        for (int y = 1 + thread; y <= rows; y += threads) {
            if (y == 1) Prepare(1, thread);
            if (y + 1 <= rows) Prepare(y + 1, thread);
            // Transport of row y may reach column x once row y - 1 has passed x + lag - 1.
            int x = 1;
            while (x <= columns) {
                int x_end = std::min(x + kProgressChunk, columns + 1);
                if (y > 1) {
                    const int needed = std::min(x_end - 1 + kWavefrontLag - 1, columns);
                    WaitForProgress(progress[y - 1], needed);
                }
                Transport(y, x, x_end);
                progress[y].store(x_end - 1, std::memory_order_release);
                x = x_end;
            }
        }
    }

    void Prepare(int y, int thread) {
        if (rain) Rain(y);
        Accelerate(y, thread);
    }
};

struct slope_step {
    const vertex_2d_field& R;
    vertex_2d_field& W;
    step_scratch& scratch;
    int columns, rows;

    // What each vertex of field row y sends: its own loss and the share for each direction.
    // Ring positions send nothing (count 0).
    void SourceRow(int y, float* count, float* self, float* share[8]) const {
        const int width = columns + 2;
        for (int x = 0; x < width; ++x) count[x] = 0;
        if (y < 1 || y > rows) return;
        const int stride = R.Stride();
        const float* t = R.Terrain();
        for (int x = 1; x <= columns; ++x) {
            const size_t v = R.Index(x, y);
            float h[9], d[9];
            for (int i = 0; i < 9; ++i) {
                h[i] = t[v + ptrdiff_t(directions::dy[i]) * stride + directions::dx[i]];
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
            for (int i = 0; i < 9; ++i) sum += d[i];
            self[x] = 0 - sum / float(2 * n);
            for (int i = 0; i < 8; ++i) share[i][x] = d[i] / float(2 * n);
        }
    }

    // Adds to each vertex of rows [y_begin, y_end) what its neighbours and itself send it,
    // in the column-major order in which the sources are visited.
    void Gather(int y_begin, int y_end, int thread) {
        struct source_row {
            float *count, *self, *share[8];
        } src[3];
        for (int r = 0; r < 3; ++r) {
            src[r].count = scratch.ThreadRow(thread, 4 + 10 * r);
            src[r].self = scratch.ThreadRow(thread, 5 + 10 * r);
            for (int i = 0; i < 8; ++i) src[r].share[i] = scratch.ThreadRow(thread, 6 + 10 * r + i);
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

void cluster::Step(const simulation_settings& s, step_workers* workers) {
    vertex_2d_field& R = *read_field;
    vertex_2d_field& W = *write_field;
    if (!R.IsAllocated() || !W.IsAllocated()) return;
    const int columns = R.Width() - 2, rows = R.Height() - 2;
    const int threads = workers ? std::min(workers->Count(), rows) : 1;
    scratch.Prepare(R.Stride(), rows, workers ? workers->Count() : 1);

    if (!s.stop_water) {
        for (int y = 0; y <= rows + 1; ++y) scratch.progress[y].store(0, std::memory_order_relaxed);
        flow_step flow{s, R, W, scratch, columns, rows, !s.stop_rain, KR::GetRandomState()};
        if (threads == 1) flow.RunThread(0, 1);
        else workers->Run([&](int t) {
            if (t < threads) flow.RunThread(t, threads);
        });
        // The pass drew one random value per vertex on the stepping thread.
        KR::SetRandomState(KR::RandomStateAfter(flow.random_state, uint64_t(columns) * rows));
    }
    if (!s.stop_erosion) {
        slope_step slope{R, W, scratch, columns, rows};
        if (threads == 1) slope.Gather(1, rows + 1, 0);
        else workers->Run([&](int t) {
            if (t >= threads) return;
            slope.Gather(1 + rows * t / threads, 1 + rows * (t + 1) / threads, t);
        });
    }
}
