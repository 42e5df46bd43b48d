// The water flow of one step.
//
// The transport phase is defined as a sweep over the sources in row order, each pushing water
// into its neighbours and nudging their flows; the result depends on that order. Instead of
// sweeping, every vertex replays the updates it receives in exactly that order: its water
// takes the four amounts from the sources visited before it, then loses what it sends, then
// takes the four amounts from the sources after it; each of its flows sees the one or two
// updates aimed at it before and after the moment it is itself read. Only the flows carried
// along the forward directions chain from vertex to vertex. So the sweep becomes a few
// vectorised passes per row, and the passes form a pipeline that threads share: one thread
// runs ahead with the first phase and the earlier receives, the others follow with the rest.
// The oracle test holds the bits equal to the plain sweep.

#include "terrain/flow_pass.h"

#include <algorithm>
#include <thread>

#include "kr/random.h"
#include "terrain/directions.h"
#include "terrain/simd.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_constants.h"
#include "terrain/step_scratch.h"
#include "terrain/step_workers.h"
#include "terrain/vertex_2d_field.h"

step_kernels step_kernel_limit = step_kernels::best;

namespace {

using namespace step_constants;
using simd::ClampNegative;
using simd::Moves;
using simd::Select;
using simd::Store;
namespace dir = directions;

constexpr int kSlots = step_scratch::kSlots;

void WaitUntil(const std::atomic<int>& counter, int value) {
    int spins = 0;
    while (counter.load(std::memory_order_acquire) < value) {
        if (++spins < 4096)
            __builtin_ia32_pause();
        else
            std::this_thread::yield();
    }
}

// The receives of a vertex in the order they reach it: m names the neighbour (vertex + d_m)
// that sends, along direction opposite(m). Four come from sources visited before the vertex,
// four from sources visited after it. kSlotOf gives the position of m in its list.
constexpr int kBefore[4] = {5, 3, 6, 1};
constexpr int kAfter[4] = {0, 7, 2, 4};
constexpr int kSlotOf[8] = {0, 3, 2, 1, 3, 0, 2, 1};
// Backward directions: the flow is braked by the earlier source ahead of it, read, then
// carried from the later vertex behind. Forward directions the other way round; all but +x
// carry from the row before.
constexpr int kBackward[4] = {1, 3, 5, 6};
constexpr int kForwardChained[3] = {2, 4, 7};
constexpr int kBackwardSlot[8] = {-1, 0, -1, 1, -1, 2, 3, -1};
constexpr int kForwardSlot[8] = {-1, -1, 0, -1, 1, -1, -1, 2};

// Rows are processed in vectors of V: eight lanes or four.
template <class V>
struct flow_pass {
    using vf = V;
    static constexpr int kLanes = simd::Lanes<V>;
    static vf Load(const float* p) { return simd::Load<V>(p); }
    static vf Splat(float x) { return simd::Splat<V>(x); }

    const simulation_settings& s;
    const vertex_2d_field& R;
    vertex_2d_field& W;
    step_scratch& scratch;
    int columns, rows;
    bool rain;
    uint32_t random_state;  // before the first draw of the pass
    int end;                // one past the last vector's last lane

    float* Row(int base, int y, int count, int index) {
        return scratch.Shared(base + (y % kSlots) * count + index);
    }

    // The flows of row y as phase 1 left them (accelerated and limited); zero outside the
    // grid and on the ring.
    float* Limited(int y, int i) {
        if (y < 1 || y > rows) return scratch.Shared(step_scratch::kZero);
        return Row(step_scratch::kLimited, y, 8, i);
    }
    float* Backward(int y, int slot) {
        if (y > rows) return scratch.Shared(step_scratch::kZero);
        return Row(step_scratch::kBackward, y, 4, slot);
    }
    float* BeforeShare(int y, int slot) { return Row(step_scratch::kBeforeShare, y, 4, slot); }
    float* AfterShare(int y, int slot) { return Row(step_scratch::kAfterShare, y, 4, slot); }
    float* MidWater(int y) { return Row(step_scratch::kMidWater, y, 1, 0); }
    float* Forward(int y, int slot) {
        if (y < 1) return scratch.Shared(step_scratch::kZero);
        return scratch.Shared(step_scratch::kForward + (y % 2) * 3 + slot);
    }
    float* Chain() { return scratch.Shared(step_scratch::kChain); }

    // The amount vertex x of row y sends along direction i.
    vf Sent(int y, int i, int x) {
        vf q = Load(Limited(y, i) + x) * Splat(s.timescale);
        if (dir::IsDiagonal(i)) q = q * Splat(kDiagonalTransport);
        return q;
    }
    // The amount vertex x of row y receives from its neighbour m.
    vf Received(int y, int m, int x) {
        return Sent(y + dir::dy[m], dir::opposite[m], x + dir::dx[m]);
    }

    // ---- phase 1: rain, then accelerate and limit the flows of row y

    void SurfaceRow(int y, float* out) const {
        const float* t = R.Terrain() + R.Index(0, y);
        const float* w = R.Water() + R.Index(0, y);
        for (int x = 0; x <= end; ++x)
            out[x] = w[x] + t[x];
        if (!s.aquarium) return;
        if (y == 0 || y == rows + 1) {
            for (int x = 0; x <= end; ++x)
                out[x] = s.z_aquarium;
        } else {
            out[0] = s.z_aquarium;
            out[columns + 1] = s.z_aquarium;
        }
    }

    void Rain(int y) {
        float* w = W.Water() + W.Index(0, y);
        const float* t = W.Terrain() + W.Index(0, y);
        const vf amount = Splat(s.rain_multiplier * s.timescale);
        const vf multiplier = Splat(s.rain_multiplier), ts = Splat(s.timescale);
        for (int x = 1; x < end; x += kLanes) {
            const vf added = s.rain_type == 1 ? amount : Load(t + x) * multiplier * ts;
            Store(w + x, ClampNegative(Load(w + x) + added));
        }
    }

    void Accelerate(int y, int t) {
        if (y > rows) return;
        if (rain) Rain(y);
        float* rows_by_dy[3];
        for (int r = 0; r < 3; ++r) {
            rows_by_dy[r] = scratch.Private(t, step_scratch::kSurface + r);
            SurfaceRow(y - 1 + r, rows_by_dy[r]);
        }
        const bool random = s.randomness != 0.0f;
        float* damping = scratch.Private(t, step_scratch::kDamping);
        if (random) {
            // One draw per vertex in row order over the whole pass.
            uint32_t state =
                KR::RandomStateAfter(random_state, uint64_t(y - 1) * uint64_t(columns));
            const float range = s.randomness - 0.0f;
            for (int x = 1; x <= columns; ++x)
                damping[x] = static_cast<float>(KR::RandFrom(state) / 32767.0 * range + 0.0f);
        }
        const size_t row = R.Index(0, y);
        const float* water = R.Water() + row;
        float* outflow = W.Outflow() + row;
        const vf ts = Splat(s.timescale), acceleration = Splat(kFlowAcceleration);
        const vf to_damping = Splat(kDepthToDamping), ceiling = Splat(kDampingCeiling);
        for (int x = 1; x < end; x += kLanes) {
            const vf h = Load(rows_by_dy[1] + x);
            vf f[8];
            for (int i = 0; i < 8; ++i) {
                const vf q = Load(rows_by_dy[1 + dir::dy[i]] + x + dir::dx[i]);
                f[i] = ClampNegative(Load(R.Flow(i) + row + x) + (h - q) * ts * acceleration);
            }
            const vf w = Load(water + x);
            vf k = w * to_damping;
            if (random) k = k - Load(damping + x);
            k = ClampNegative(k);
            k = Select(k > ceiling, ceiling, k);
            vf total = vf{};
            for (int i = 0; i < 8; ++i)
                total = total + f[i];
            vf limit = total * k;
            const vf available = w * ceiling;
            limit = Select(limit < available, limit, available);
            limit = Select(total > vf{}, limit / total, limit);
            const vf scale = k * limit;
            vf sum = vf{};
            for (int i = 0; i < 8; ++i) {
                const vf v = f[i] * scale;
                Store(Limited(y, i) + x, v);
                sum = sum + v;
            }
            Store(outflow + x, sum);
        }
        // Past the last vertex nothing moves.
        for (int i = 0; i < 8; ++i)
            for (int x = columns + 1; x <= end; ++x)
                Limited(y, i)[x] = 0.0f;
    }

    // ---- phase 2 for row y, in four parts

    // The receives from earlier sources and the vertex's own sends.
    void ReceiveBefore(int y) {
        if (y > rows) return;
        const float* water = W.Water() + W.Index(0, y);
        for (int x = 1; x < end; x += kLanes) {
            vf w = Load(water + x);
            for (int n = 0; n < 4; ++n) {
                const vf r = Received(y, kBefore[n], x);
                const vf raised = ClampNegative(w + r);
                Store(BeforeShare(y, n) + x, r / raised);
                w = Select(Moves(r), raised, w);
            }
            for (int i = 0; i < 8; ++i) {
                const vf q = Sent(y, i, x);
                w = Select(Moves(q), ClampNegative(w + (vf{} - q)), w);
            }
            Store(MidWater(y) + x, w);
        }
    }

    // The backward flows as braked by the earlier source ahead of them.
    void BrakeBackward(int y) {
        if (y > rows) return;
        const vf one = Splat(1.0f), braking = Splat(kBackFlowBraking);
        for (int x = 1; x < end; x += kLanes) {
            for (int b = 0; b < 4; ++b) {
                const int k = kBackward[b];
                const vf r = Received(y, k, x);
                const vf t = Load(BeforeShare(y, kSlotOf[k]) + x);
                const vf f0 = Load(Limited(y, k) + x);
                const vf braked = ClampNegative((one - t) * f0 - r * t * braking);
                Store(Backward(y, b) + x, Select(Moves(r), braked, f0));
            }
        }
    }

    // The receives from later sources: the final water and the shares of those receives.
    void ReceiveAfter(int y) {
        float* water = W.Water() + W.Index(0, y);
        for (int x = 1; x < end; x += kLanes) {
            vf w = Load(MidWater(y) + x);
            for (int n = 0; n < 4; ++n) {
                const vf r = Received(y, kAfter[n], x);
                const vf raised = ClampNegative(w + r);
                Store(AfterShare(y, n) + x, r / raised);
                w = Select(Moves(r), raised, w);
            }
            Store(water + x, w);
        }
    }

    // Forward flows: carried from the vertex behind at the moment it was read (from the row
    // before for k = 2, 4, 7; along the row for k = 0), then braked by the later source ahead.
    void ForwardFlows(int y) {
        const size_t row = W.Index(0, y);
        const vf one = Splat(1.0f), braking = Splat(kBackFlowBraking);
        for (int x = 1; x < end; x += kLanes) {
            for (int f = 0; f < 3; ++f) {
                const int k = kForwardChained[f], m = dir::opposite[k];
                const vf r = Received(y, m, x);
                const vf t = Load(BeforeShare(y, kSlotOf[m]) + x);
                const vf f0 = Load(Limited(y, k) + x);
                const vf behind = Load(Forward(y - 1, f) + x - dir::dx[k]);
                Store(Forward(y, f) + x, Select(Moves(r), (one - t) * f0 + behind * t, f0));
            }
        }
        ChainAlongRow(y);
        for (int x = 1; x < end; x += kLanes) {
            for (int k : {0, 2, 4, 7}) {
                const vf carried =
                    k == 0 ? Load(Chain() + x) : Load(Forward(y, kForwardSlot[k]) + x);
                const vf r = Received(y, k, x);
                const vf t = Load(AfterShare(y, kSlotOf[k]) + x);
                const vf braked = ClampNegative((one - t) * carried - r * t * braking);
                Store(W.Flow(k) + row + x, Select(Moves(r), braked, carried));
            }
        }
    }

    // The flow along +x is carried from vertex to vertex within the row: the one truly
    // sequential part.
    void ChainAlongRow(int y) {
        const float* f0 = Limited(y, 0);
        const float* t = BeforeShare(y, kSlotOf[1]);
        float* chain = Chain();
        float carried = 0.0f;
        for (int x = 1; x <= columns; ++x) {
            const float sent = f0[x - 1] * s.timescale;  // from the vertex behind along +x
            carried = sent <= 0 ? f0[x] : (1 - t[x]) * f0[x] + carried * t[x];
            chain[x] = carried;
        }
    }

    // Backward flows: braked earlier, read, then carried from the later vertex behind.
    void BackwardFlows(int y) {
        const size_t row = W.Index(0, y);
        const vf one = Splat(1.0f);
        for (int x = 1; x < end; x += kLanes) {
            for (int k : kBackward) {
                const int m = dir::opposite[k];
                const vf braked = Load(Backward(y, kBackwardSlot[k]) + x);
                const vf r = Received(y, m, x);
                const vf t = Load(AfterShare(y, kSlotOf[m]) + x);
                const vf behind = Load(Backward(y - dir::dy[k], kBackwardSlot[k]) + x - dir::dx[k]);
                Store(W.Flow(k) + row + x,
                      Select(Moves(r), (one - t) * braked + behind * t, braked));
            }
        }
    }

    // ---- the pipeline. Thread 0 produces rows (phase 1 and the earlier receives) up to
    // kLookahead rows ahead of the slowest follower; thread 1 follows with the later receives
    // and the forward flows, and with the backward flows too unless a thread 2 takes those.

    void Produce(int t, int stages) {
        Accelerate(1, t);
        for (int y = 1; y <= rows; ++y) {
            if (stages > 1) WaitUntil(scratch.consumed.row, y - step_scratch::kLookahead);
            Accelerate(y + 1, t);
            ReceiveBefore(y);
            if (stages > 1) {
                scratch.produced.row.store(y, std::memory_order_release);
                continue;
            }
            // A row is finished once the next row's earlier receives are known.
            BrakeBackward(y);
            if (y > 1) Finish(y - 1, true, true);
        }
        if (stages == 1) Finish(rows, true, true);
    }

    void Finish(int y, bool forward, bool backward) {
        if (forward) {
            ReceiveAfter(y);
            ForwardFlows(y);
        }
        if (backward) BackwardFlows(y);
    }

    void Follow(int t, int stages) {
        const bool forward = t == 1, backward = t == stages - 1;
        if (backward) {
            WaitUntil(scratch.produced.row, 1);
            BrakeBackward(1);
        }
        for (int y = 1; y <= rows; ++y) {
            WaitUntil(scratch.produced.row, std::min(y + 1, rows));
            if (backward) BrakeBackward(y + 1);
            if (!forward) WaitUntil(scratch.after_water.row, y);
            Finish(y, forward, backward);
            if (forward && !backward) scratch.after_water.row.store(y, std::memory_order_release);
            if (backward) scratch.consumed.row.store(y, std::memory_order_release);
        }
    }

    void Run(int t, int stages) {
        if (t == 0)
            Produce(t, stages);
        else
            Follow(t, stages);
    }
};

// The pass is built for processors with AVX-512, with AVX2 and for any x86-64. All do the
// same IEEE operations in the same order, so they give the same bits.
__attribute__((target("avx2"), flatten)) void RunAvx2(flow_pass<simd::vf8>& pass, int t,
                                                      int stages) {
    pass.Run(t, stages);
}
__attribute__((target("avx512f"), flatten)) void RunAvx512(flow_pass<simd::vf16>& pass, int t,
                                                           int stages) {
    pass.Run(t, stages);
}
__attribute__((flatten)) void RunPlain(flow_pass<simd::vf4>& pass, int t, int stages) {
    pass.Run(t, stages);
}

// One past the last lane of the last vector of a row of vertices 1 ... columns.
int End(int columns, int lanes) {
    return 1 + (columns + lanes - 1) / lanes * lanes;
}

bool UseAvx512() {
    static const bool supported = __builtin_cpu_supports("avx512f");
    return supported && step_kernel_limit == step_kernels::best;
}

bool UseAvx2() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported && step_kernel_limit != step_kernels::plain;
}

}  // namespace

void RunFlowPass(const simulation_settings& s, const vertex_2d_field& R, vertex_2d_field& W,
                 step_scratch& scratch, step_workers* workers) {
    const int columns = R.Width() - 2, rows = R.Height() - 2;
    const int stages = std::min({workers ? workers->Count() : 1, 3, rows});
    // Rain type 3 names a rain map, which adds nothing.
    const bool rain = !s.stop_rain && (s.rain_type == 1 || s.rain_type == 2);
    const uint32_t random_state = KR::GetRandomState();
    scratch.produced.row.store(0, std::memory_order_relaxed);
    scratch.after_water.row.store(0, std::memory_order_relaxed);
    scratch.consumed.row.store(0, std::memory_order_relaxed);
    auto run_on = [&](auto& pass, auto run) {
        if (stages == 1)
            run(pass, 0, 1);
        else
            workers->Run([&](int t) {
                if (t < stages) run(pass, t, stages);
            });
    };
    if (UseAvx512()) {
        flow_pass<simd::vf16> pass{
            s, R, W, scratch, columns, rows, rain, random_state, End(columns, 16)};
        run_on(pass, RunAvx512);
    } else if (UseAvx2()) {
        flow_pass<simd::vf8> pass{
            s, R, W, scratch, columns, rows, rain, random_state, End(columns, 8)};
        run_on(pass, RunAvx2);
    } else {
        flow_pass<simd::vf4> pass{
            s, R, W, scratch, columns, rows, rain, random_state, End(columns, 4)};
        run_on(pass, RunPlain);
    }
    // The pass drew one random value per vertex on the stepping thread.
    KR::SetRandomState(KR::RandomStateAfter(random_state, uint64_t(columns) * rows));
}
