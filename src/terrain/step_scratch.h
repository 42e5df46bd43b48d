#pragma once
// Working memory of a step, kept between steps so that a step allocates nothing once the
// grid size and the thread count are settled. It lies outside both fields: the read field
// stays untouched while a step runs.

#include <atomic>
#include <memory>
#include <vector>

struct step_scratch {
    // Rebuilds the buffers when the row length, row count or thread count changed.
    void Prepare(int stride, int rows, int threads);

    // The scaled flows of phase 1 for a few rows in flight: rows[slot][direction][x].
    float* ScaledFlows(int y, int direction) {
        return scaled.data() + (size_t(y % slots) * 8 + size_t(direction)) * size_t(stride);
    }
    // Per-thread rows: three surface rows and one row of random damping values.
    float* ThreadRow(int thread, int row) {
        return per_thread.data() + (size_t(thread) * kThreadRows + size_t(row)) * size_t(stride);
    }

    static constexpr int kThreadRows = 4 + 3 * 10;  // surfaces, random row, slope sources

    int stride = 0, rows = 0, threads = 0, slots = 0;
    std::vector<float> scaled;
    std::vector<float> per_thread;
    // Columns finished by the transport of each row, for the row wavefront.
    std::unique_ptr<std::atomic<int>[]> progress;
};
