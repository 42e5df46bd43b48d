#pragma once
// Working memory of a step, kept between steps so that a step allocates nothing once the
// grid size and the thread count are settled. It lies outside both fields: the read field
// stays untouched while a step runs.
//
// The flow pass works through the grid row by row, with a few rows in flight between the
// threads of its pipeline; each kind of row is kept in slots that are reused in turn.

#include <atomic>
#include <vector>

struct step_scratch {
    static constexpr int kSlots = 8;  // rows in flight; the producer stays within kLookahead
    static constexpr int kLookahead = kSlots - 4;

    // Shared rows.
    enum shared_row : int {
        kLimited = 0,                             // [slot][direction]: flows after phase 1
        kBackward = kLimited + kSlots * 8,        // [slot][4]: backward flows after braking
        kBeforeShare = kBackward + kSlots * 4,    // [slot][4]: shares of the earlier receives
        kAfterShare = kBeforeShare + kSlots * 4,  // [slot][4]: shares of the later receives
        kMidWater = kAfterShare + kSlots * 4,     // [slot]: water after the vertex's own sends
        kForward = kMidWater + kSlots,            // [2][3]: forward flows carried along rows
        kChain = kForward + 2 * 3,                // flows carried along +x
        kZero = kChain + 1,                       // all zero: outside the grid
        kSharedRows = kZero + 1
    };
    // Private rows of a thread.
    enum private_row : int {
        kSurface = 0,       // [3]: surface heights of three rows
        kDamping = 3,       // random damping of one row
        kSlopeSources = 4,  // [3][10]: what three rows of vertices send down the slope
        kPrivateRows = kSlopeSources + 30
    };

    // Rebuilds the buffers when the row length or the thread count changed.
    void Prepare(int stride, int threads);

    // Rows are laid out like the field rows: x = 1 on a cache-line boundary.
    float* Shared(int row) { return shared_base + size_t(row) * size_t(stride); }
    float* Private(int thread, int row) {
        return private_base + (size_t(thread) * kPrivateRows + size_t(row)) * size_t(stride);
    }

    // Rows finished by each stage of the flow pipeline, one cache line each.
    struct alignas(64) progress {
        std::atomic<int> row{0};
    };
    progress produced, after_water, consumed;

    int stride = 0, threads = 0;
    std::vector<float> shared;
    std::vector<float> per_thread;
    float* shared_base = nullptr;
    float* private_base = nullptr;
};
