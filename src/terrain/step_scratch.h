#pragma once
// Working memory of a step, kept between steps so that a step allocates nothing once the
// grid size and the thread count are settled. It lies outside both fields: the read field
// stays untouched while a step runs.
//
// Each thread of the flow pass works through its strip of columns row by row with a few rows
// in flight, kept in private rows that are reused in turn. The few values that pass from one
// strip to the next lie in shared rows.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "terrain/step_thread_choice.h"

struct step_scratch {
    static constexpr int kSlots = 4;  // rows in flight

    // Shared rows.
    enum shared_row : int {
        kForward = 0,               // [2][3]: forward flows carried from row to row
        kChain = kForward + 2 * 3,  // [2]: flows carried along +x
        kZero = kChain + 2,         // all zero: outside the grid
        kSharedRows = kZero + 1
    };
    // Private rows of a thread.
    enum private_row : int {
        kLimited = 0,                           // [slot][direction]: flows after phase 1
        kStartWater = kLimited + kSlots * 8,    // [slot]: water after the rain
        kBeforeShare = kStartWater + kSlots,    // [slot][4]: shares of the earlier receives
        kMidWater = kBeforeShare + kSlots * 4,  // [slot]: water after the vertex's own sends
        kBackward = kMidWater + kSlots,         // [slot][4]: backward flows after braking
        kAfterShare = kBackward + kSlots * 4,   // [4]: shares of the later receives
        kSurface = kAfterShare + 4,             // [3]: surface heights of three rows
        kDamping = kSurface + 3,                // random damping of one row
        kPrivateRows = kDamping + 1,
        // [3][10]: what three rows send down the slope. The slope pass runs after the flow
        // pass and takes over its rows.
        kSlopeSources = 0
    };
    static_assert(kSlopeSources + 30 <= kPrivateRows);

    // Rebuilds the buffers when the row length, row count or thread count changed.
    void Prepare(int stride, int rows, int threads);

    // Rows are laid out like the field rows: x = 1 on a cache-line boundary.
    float* Shared(int row) { return shared_base + size_t(row) * size_t(stride); }
    float* Private(int thread, int row) {
        return private_base + (size_t(thread) * kPrivateRows + size_t(row)) * size_t(stride);
    }
    // Water of the columns around the start of strip t (t >= 1), taken before the pass: the
    // neighbouring strips read them while their owner may already be writing the field.
    static constexpr int kBorderColumns = 32;
    float* StripBorder(int t, int y) {
        return border.data() + (size_t(t - 1) * size_t(rows + 2) + size_t(y)) * kBorderColumns;
    }

    // How far each thread has come: rows whose forward flows, and whose flow chain along
    // the row, are done. One cache line each.
    // And how long the thread waited for its neighbours during the pass.
    struct alignas(64) progress {
        std::atomic<int> forward{0};
        std::atomic<int> chain{0};
        uint64_t waited = 0;  // processor ticks
    };
    std::unique_ptr<progress[]> strips;

    // How many threads the step and the hand-over use.
    step_thread_choice thread_choice;

    int stride = 0, field_stride = 0, rows = 0, threads = 0;
    std::vector<float> shared;
    std::vector<float> per_thread;
    std::vector<float> border;
    float* shared_base = nullptr;
    float* private_base = nullptr;
};
