#include "terrain/step_scratch.h"

void step_scratch::Prepare(int new_stride, int new_rows, int new_threads) {
    if (new_stride == stride && new_rows == rows && new_threads == threads) return;
    stride = new_stride;
    rows = new_rows;
    threads = new_threads;
    // A row's scaled flows are needed until its transport ends; with one row per thread in
    // flight, threads + 1 slots would do.
    slots = threads + 3;
    scaled.assign(size_t(slots) * 8 * size_t(stride), 0.0f);
    per_thread.assign(size_t(threads) * kThreadRows * size_t(stride), 0.0f);
    progress = std::make_unique<std::atomic<int>[]>(size_t(rows) + 2);
}
