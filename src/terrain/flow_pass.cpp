// The water flow of one step.
//
// The transport phase is defined as a sweep over the sources in row order, each pushing water
// into its neighbours and nudging their flows; the result depends on that order. Instead of
// sweeping, every vertex replays the updates it receives in exactly that order: its water
// takes the four amounts from the sources visited before it, then loses what it sends, then
// takes the four amounts from the sources after it; each of its flows sees the one or two
// updates aimed at it before and after the moment it is itself read. Only the flows carried
// along the forward directions chain from vertex to vertex. So the sweep becomes a few
// vectorised passes per row.
//
// Threads take strips of columns. Each works through its strip row by row, computing the
// first phase and the earlier receives of a vector of columns on either side of it as well
// (they depend only on the read field and on water saved before the pass), so that the only
// values passing between strips are the flows carried along the forward directions at the
// strip's edges: three numbers per row. The oracle test holds the bits equal to the plain
// sweep for any number of strips.

#include "terrain/flow_pass.h"

#include <immintrin.h>
#include <algorithm>
#include <atomic>

#include "kr/base/random.h"
#include "terrain/directions.h"
#include "terrain/simd.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_constants.h"
#include "terrain/step_scratch.h"
#include "terrain/step_timing.h"
#include "terrain/step_workers.h"
#include "terrain/vertex_2d_field.h"

step_kernels step_kernel_limit = step_kernels::best;
// Streaming pays once a field no longer fits in the last-level cache beside the other.
size_t streamed_field_bytes = kStreamedFieldBytes;

namespace {

using namespace step_constants;
using simd::ClampNegative;
using simd::Moves;
using simd::Select;
using simd::Store;
namespace dir = directions;

constexpr int kSlots = step_scratch::kSlots;
constexpr int kLineFloats = 16;  // strips start on cache lines

// Waits until counter reaches value. A short spin covers the few microseconds a running
// neighbour needs to finish its row; then the thread sleeps, so that a neighbour which lost
// its core to other work (the drawing, say) gets it back instead of watching us spin.
constexpr int kSpins = 2000;

void WaitUntil(const std::atomic<int>& counter, int value, uint64_t& waited) {
    int seen = counter.load(std::memory_order_acquire);
    if (seen >= value) return;
    const uint64_t start = step_timing::Now();
    for (int spin = 0; spin < kSpins && seen < value; ++spin) {
        __builtin_ia32_pause();
        seen = counter.load(std::memory_order_acquire);
    }
    while (seen < value) {
        counter.wait(seen, std::memory_order_acquire);
        seen = counter.load(std::memory_order_acquire);
    }
    waited += step_timing::Now() - start;
}

void Publish(std::atomic<int>& counter, int value) {
    counter.store(value, std::memory_order_release);
    counter.notify_all();  // no system call while nobody sleeps on it
}

inline void StreamStore(float* p, simd::vf4 v) {
    _mm_stream_ps(p, (__m128)v);
}
__attribute__((target("avx"))) inline void StreamStore(float* p, simd::vf8 v) {
    _mm256_stream_ps(p, (__m256)v);
}
__attribute__((target("avx512f"))) inline void StreamStore(float* p, simd::vf16 v) {
    _mm512_stream_ps(p, (__m512)v);
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

// Rows are processed in vectors of V: sixteen, eight or four lanes.
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
    int columns, rows, strips;
    bool rain;
    uint32_t random_state;  // before the first draw of the pass
    int end;                // one past the last vector's last lane of a whole row
    step_timing* timing;    // where the parts' times go, if anywhere
    bool stream;            // the write field goes past the caches

    // A store into the write field. On a grid far larger than the caches the write field's
    // lines would only be read from memory to be overwritten and evicted again before the
    // next step reads them; streaming stores skip that read. Rows are aligned to the vectors.
    void StoreField(float* p, vf v) const {
        if (stream)
            StreamStore(p, v);
        else
            Store(p, v);
    }

    // ---- rows

    float* Zero() { return scratch.Shared(step_scratch::kZero); }
    float* Mine(int t, int base, int y, int count, int index) {
        return scratch.Private(t, base + (y % kSlots) * count + index);
    }
    // The flows of row y as phase 1 left them (accelerated and limited); zero outside the
    // grid and on the ring.
    float* Limited(int t, int y, int i) {
        if (y < 1 || y > rows) return Zero();
        return Mine(t, step_scratch::kLimited, y, 8, i);
    }
    float* StartWater(int t, int y) { return Mine(t, step_scratch::kStartWater, y, 1, 0); }
    float* BeforeShare(int t, int y, int slot) {
        return Mine(t, step_scratch::kBeforeShare, y, 4, slot);
    }
    float* MidWater(int t, int y) { return Mine(t, step_scratch::kMidWater, y, 1, 0); }
    float* Backward(int t, int y, int slot) {
        if (y > rows) return Zero();
        return Mine(t, step_scratch::kBackward, y, 4, slot);
    }
    float* AfterShare(int t, int slot) {
        return scratch.Private(t, step_scratch::kAfterShare + slot);
    }
    float* Forward(int y, int slot) {
        if (y < 1) return Zero();
        return scratch.Shared(step_scratch::kForward + (y % 2) * 3 + slot);
    }
    float* Chain(int y) { return scratch.Shared(step_scratch::kChain + y % 2); }

    // The amount vertex x of row y sends along direction i.
    vf Sent(int t, int y, int i, int x) {
        vf q = Load(Limited(t, y, i) + x) * Splat(s.timescale);
        if (dir::IsDiagonal(i)) q = q * Splat(kDiagonalTransport);
        return q;
    }
    // The amount vertex x of row y receives from its neighbour m.
    vf Received(int t, int y, int m, int x) {
        return Sent(t, y + dir::dy[m], dir::opposite[m], x + dir::dx[m]);
    }

    // ---- strips

    int StripBegin(int t) const {
        const int lines = (columns + kLineFloats - 1) / kLineFloats;
        return 1 + kLineFloats * int(int64_t(lines) * t / strips);
    }
    // One past the last vector of strip t's own columns.
    int StripEnd(int t) const { return t + 1 == strips ? end : StripBegin(t + 1); }
    // The columns whose first phase and earlier receives strip t computes: its own and one
    // vector on either side.
    int WideBegin(int t) const { return t > 0 ? StripBegin(t) - kLanes : 1; }
    int WideEnd(int t) const { return t + 1 < strips ? StripEnd(t) + kLanes : end; }

    // Saves the water around each strip start before any strip changes it.
    void SaveStripBorders() {
        for (int t = 1; t < strips; ++t) {
            const int first = StripBegin(t) - step_scratch::kBorderColumns / 2;
            for (int y = 1; y <= rows; ++y)
                std::copy_n(W.Water() + W.Index(first, y), step_scratch::kBorderColumns,
                            scratch.StripBorder(t, y));
        }
    }
    // The water of row y at columns [x, x + kLanes) as the pass found it.
    vf FoundWater(int t, int y, int x) {
        const int left = StripBegin(t), right = StripEnd(t);
        if (t > 0 && x < left)
            return Load(scratch.StripBorder(t, y) + (x - left + step_scratch::kBorderColumns / 2));
        if (t + 1 < strips && x >= right)
            return Load(scratch.StripBorder(t + 1, y) +
                        (x - right + step_scratch::kBorderColumns / 2));
        return Load(W.Water() + W.Index(x, y));
    }

    // ---- phase 1: rain, then accelerate and limit the flows of row y

    void SurfaceRow(int y, float* out, int from, int to) const {
        const float* t = R.Terrain() + R.Index(0, y);
        const float* w = R.Water() + R.Index(0, y);
        for (int x = from; x < to; ++x)
            out[x] = w[x] + t[x];
        if (!s.aquarium) return;
        for (int x = from; x < to; ++x)
            if (y == 0 || y == rows + 1 || x == 0 || x == columns + 1) out[x] = s.z_aquarium;
    }

    void Accelerate(int y, int t) {
        if (y > rows) return;
        const int from = WideBegin(t), to = WideEnd(t);
        const int own_from = StripBegin(t), own_to = StripEnd(t);
        // Surface heights of rows y - 1, y and y + 1 in rolling rows: rows come one by one
        // from y = 1, so each row after the first three is worked out once.
        float* rows_by_dy[3];
        for (int r = 0; r < 3; ++r) {
            rows_by_dy[r] = scratch.Private(t, step_scratch::kSurface + (y - 1 + r) % 3);
            if (y == 1 || r == 2) SurfaceRow(y - 1 + r, rows_by_dy[r], from - 1, to + 1);
        }
        const bool random = s.randomness != 0.0f;
        float* damping = scratch.Private(t, step_scratch::kDamping);
        if (random) {
            // One draw per vertex in row order over the whole pass.
            uint32_t state = KR::RandomStateAfter(
                random_state, uint64_t(y - 1) * uint64_t(columns) + uint64_t(from - 1));
            const float range = s.randomness - 0.0f;
            for (int x = from; x < std::min(to, columns + 1); ++x)
                damping[x] = static_cast<float>(KR::RandFrom(state) / 32767.0 * range + 0.0f);
        }
        const size_t row = R.Index(0, y);
        const float* water = R.Water() + row;
        const float* ground = W.Terrain() + W.Index(0, y);
        float* outflow = W.Outflow() + row;
        float* start_water = StartWater(t, y);
        const vf ts = Splat(s.timescale), acceleration = Splat(kFlowAcceleration);
        const vf to_damping = Splat(kDepthToDamping), ceiling = Splat(kDampingCeiling);
        const vf rain_amount = Splat(s.rain_multiplier * s.timescale);
        const vf multiplier = Splat(s.rain_multiplier);
        // The rain falls into the write field's water.
        const uint64_t rain_start = timing ? step_timing::Now() : 0;
        for (int x = from; x < to; x += kLanes) {
            vf start = FoundWater(t, y, x);
            if (rain) {
                const vf added =
                    s.rain_type == 1 ? rain_amount : Load(ground + x) * multiplier * ts;
                start = ClampNegative(start + added);
            }
            Store(start_water + x, start);
        }
        if (timing) timing->Add(t, step_timing::kRain, step_timing::Now() - rain_start);
        timed_part timed(timing, t, step_timing::kFlowPhase1);
        for (int x = from; x < to; x += kLanes) {
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
                Store(Limited(t, y, i) + x, v);
                sum = sum + v;
            }
            if (x >= own_from && x < own_to) StoreField(outflow + x, sum);
        }
        // Past the last vertex nothing moves.
        if (to == end)
            for (int i = 0; i < 8; ++i)
                for (int x = columns + 1; x <= end; ++x)
                    Limited(t, y, i)[x] = 0.0f;
    }

    // ---- phase 2 for row y

    // The receives from earlier sources and the vertex's own sends; then the backward flows
    // as braked by the earlier source ahead of them.
    void ReceiveBefore(int y, int t) {
        if (y > rows) return;
        const int from = WideBegin(t), to = WideEnd(t);
        for (int x = from; x < to; x += kLanes) {
            vf w = Load(StartWater(t, y) + x);
            for (int n = 0; n < 4; ++n) {
                const vf r = Received(t, y, kBefore[n], x);
                const vf raised = ClampNegative(w + r);
                Store(BeforeShare(t, y, n) + x, r / raised);
                w = Select(Moves(r), raised, w);
            }
            for (int i = 0; i < 8; ++i) {
                const vf q = Sent(t, y, i, x);
                w = Select(Moves(q), ClampNegative(w + (vf{} - q)), w);
            }
            Store(MidWater(t, y) + x, w);
        }
    }

    void BrakeBackward(int y, int t) {
        if (y > rows) return;
        const int from = WideBegin(t), to = WideEnd(t);
        const vf one = Splat(1.0f), braking = Splat(kBackFlowBraking);
        for (int x = from; x < to; x += kLanes) {
            for (int b = 0; b < 4; ++b) {
                const int k = kBackward[b];
                const vf r = Received(t, y, k, x);
                const vf share = Load(BeforeShare(t, y, kSlotOf[k]) + x);
                const vf f0 = Load(Limited(t, y, k) + x);
                const vf braked = ClampNegative((one - share) * f0 - r * share * braking);
                Store(Backward(t, y, b) + x, Select(Moves(r), braked, f0));
            }
        }
    }

    // The receives from later sources: the final water and the shares of those receives.
    void ReceiveAfter(int y, int t) {
        float* water = W.Water() + W.Index(0, y);
        for (int x = StripBegin(t); x < StripEnd(t); x += kLanes) {
            vf w = Load(MidWater(t, y) + x);
            for (int n = 0; n < 4; ++n) {
                const vf r = Received(t, y, kAfter[n], x);
                const vf raised = ClampNegative(w + r);
                Store(AfterShare(t, n) + x, r / raised);
                w = Select(Moves(r), raised, w);
            }
            StoreField(water + x, w);
        }
    }

    // Forward flows: carried from the vertex behind at the moment it was read (from the row
    // before for k = 2, 4, 7; along the row for k = 0), then braked by the later source ahead.
    void ForwardFlows(int y, int t) {
        const int from = StripBegin(t), to = StripEnd(t);
        const size_t row = W.Index(0, y);
        const vf one = Splat(1.0f), braking = Splat(kBackFlowBraking);
        // The strips on either side carried their forward flows of the row before.
        if (t > 0) WaitUntil(scratch.strips[t - 1].forward, y - 1, scratch.strips[t].waited);
        if (t + 1 < strips)
            WaitUntil(scratch.strips[t + 1].forward, y - 1, scratch.strips[t].waited);
        for (int x = from; x < to; x += kLanes) {
            for (int f = 0; f < 3; ++f) {
                const int k = kForwardChained[f], m = dir::opposite[k];
                const vf r = Received(t, y, m, x);
                const vf share = Load(BeforeShare(t, y, kSlotOf[m]) + x);
                const vf f0 = Load(Limited(t, y, k) + x);
                const vf behind = Load(Forward(y - 1, f) + x - dir::dx[k]);
                Store(Forward(y, f) + x, Select(Moves(r), (one - share) * f0 + behind * share, f0));
            }
        }
        Publish(scratch.strips[t].forward, y);
        ChainAlongRow(y, t);
        for (int x = from; x < to; x += kLanes) {
            for (int k : {0, 2, 4, 7}) {
                const vf carried =
                    k == 0 ? Load(Chain(y) + x) : Load(Forward(y, kForwardSlot[k]) + x);
                const vf r = Received(t, y, k, x);
                const vf share = Load(AfterShare(t, kSlotOf[k]) + x);
                const vf braked = ClampNegative((one - share) * carried - r * share * braking);
                StoreField(W.Flow(k) + row + x, Select(Moves(r), braked, carried));
            }
        }
    }

    // The flow along +x is carried from vertex to vertex within the row: the one truly
    // sequential part, continued from the strip on the left.
    void ChainAlongRow(int y, int t) {
        const int from = StripBegin(t), to = std::min(StripEnd(t), columns + 1);
        const float* f0 = Limited(t, y, 0);
        const float* share = BeforeShare(t, y, kSlotOf[1]);
        float* chain = Chain(y);
        if (t > 0) WaitUntil(scratch.strips[t - 1].chain, y, scratch.strips[t].waited);
        float carried = chain[from - 1];
        for (int x = from; x < to; ++x) {
            const float sent = f0[x - 1] * s.timescale;  // from the vertex behind along +x
            carried = sent <= 0 ? f0[x] : (1 - share[x]) * f0[x] + carried * share[x];
            chain[x] = carried;
        }
        Publish(scratch.strips[t].chain, y);
    }

    // Backward flows: braked earlier, read, then carried from the later vertex behind.
    void BackwardFlows(int y, int t) {
        const size_t row = W.Index(0, y);
        const vf one = Splat(1.0f);
        for (int x = StripBegin(t); x < StripEnd(t); x += kLanes) {
            for (int k : kBackward) {
                const int m = dir::opposite[k];
                const vf braked = Load(Backward(t, y, kBackwardSlot[k]) + x);
                const vf r = Received(t, y, m, x);
                const vf share = Load(AfterShare(t, kSlotOf[m]) + x);
                const vf behind =
                    Load(Backward(t, y - dir::dy[k], kBackwardSlot[k]) + x - dir::dx[k]);
                StoreField(W.Flow(k) + row + x,
                           Select(Moves(r), (one - share) * braked + behind * share, braked));
            }
        }
    }

    // ---- one strip, row by row: a row is finished once the next row's earlier receives
    // are known.

    // The whole strip counts as transport; the benchmark takes the other parts out of it.
    void Run(int t) {
        timed_part timed(timing, t, step_timing::kTransport);
        Accelerate(1, t);
        for (int y = 1; y <= rows; ++y) {
            Accelerate(y + 1, t);
            ReceiveBefore(y, t);
            BrakeBackward(y, t);
            if (y > 1) Finish(y - 1, t);
        }
        Finish(rows, t);
        if (stream) _mm_sfence();  // the streamed rows are seen before the pass ends
    }

    void Finish(int y, int t) {
        ReceiveAfter(y, t);
        ForwardFlows(y, t);
        BackwardFlows(y, t);
    }
};

// The pass is built for processors with AVX-512, with AVX2 and for any x86-64. All do the
// same IEEE operations in the same order, so they give the same bits.
__attribute__((target("avx512f"), flatten)) void RunAvx512(flow_pass<simd::vf16>& pass, int t) {
    pass.Run(t);
}
__attribute__((target("avx2"), flatten)) void RunAvx2(flow_pass<simd::vf8>& pass, int t) {
    pass.Run(t);
}
__attribute__((flatten)) void RunPlain(flow_pass<simd::vf4>& pass, int t) {
    pass.Run(t);
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
    const int lines = (columns + kLineFloats - 1) / kLineFloats;
    const int strips = scratch.thread_choice.Threads(
        std::min(workers ? workers->Count() : 1, lines), workers ? workers->Awake() : 0);
    // Rain type 3 names a rain map, which adds nothing.
    const bool rain = !s.stop_rain && (s.rain_type == 1 || s.rain_type == 2);
    const uint32_t random_state = KR::GetRandomState();
    step_timing* timing = workers ? workers->timing : nullptr;
    const bool stream = W.MemoryBytes() > streamed_field_bytes;
    for (int t = 0; t < strips; ++t) {
        scratch.strips[t].forward.store(0, std::memory_order_relaxed);
        scratch.strips[t].chain.store(0, std::memory_order_relaxed);
        scratch.strips[t].waited = 0;
    }
    const uint64_t start = step_timing::Now();
    auto run = [&](auto& pass, auto kernel) {
        pass.SaveStripBorders();
        if (strips == 1)
            kernel(pass, 0);
        else
            workers->Run([&](int t) {
                if (t < strips) kernel(pass, t);
            });
    };
    if (UseAvx512()) {
        flow_pass<simd::vf16> pass{s,      R,      W,    scratch,      columns,
                                   rows,   strips, rain, random_state, End(columns, 16),
                                   timing, stream};
        run(pass, RunAvx512);
    } else if (UseAvx2()) {
        flow_pass<simd::vf8> pass{s,      R,      W,    scratch,      columns,
                                  rows,   strips, rain, random_state, End(columns, 8),
                                  timing, stream};
        run(pass, RunAvx2);
    } else {
        flow_pass<simd::vf4> pass{s,      R,      W,    scratch,      columns,
                                  rows,   strips, rain, random_state, End(columns, 4),
                                  timing, stream};
        run(pass, RunPlain);
    }
    uint64_t waited = 0;
    for (int t = 0; t < strips; ++t) {
        waited += scratch.strips[t].waited;
        if (timing) timing->Add(t, step_timing::kWait, scratch.strips[t].waited);
    }
    scratch.thread_choice.Record(strips, step_timing::Now() - start, waited);
    // The pass drew one random value per vertex on the stepping thread.
    KR::SetRandomState(KR::RandomStateAfter(random_state, uint64_t(columns) * rows));
}
