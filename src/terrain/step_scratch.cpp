#include "terrain/step_scratch.h"

#include <cstdint>

namespace {

// The first float whose successor starts a cache line.
float* RowBase(std::vector<float>& buffer) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(buffer.data()) + sizeof(float);
    const uintptr_t aligned = (address + 63) & ~uintptr_t(63);
    return reinterpret_cast<float*>(aligned) - 1;
}

}  // namespace

void step_scratch::Prepare(int new_stride, int new_rows, int new_threads) {
    if (new_stride == field_stride && new_rows == rows && new_threads == threads) return;
    // One cache line more than a field row, so that the rows in flight fall on different
    // offsets within a 4 KiB page: a store to one row then never looks like it might feed a
    // load from another.
    stride = new_stride + 16;
    field_stride = new_stride;
    rows = new_rows;
    threads = new_threads;
    border.assign(size_t(threads - 1) * size_t(rows + 2) * kBorderColumns, 0.0f);
    strips = std::make_unique<progress[]>(size_t(threads));
    // Room for the alignment and for the last row's vectors.
    shared.assign(size_t(kSharedRows) * size_t(stride) + 32, 0.0f);
    per_thread.assign(size_t(threads) * kPrivateRows * size_t(stride) + 32, 0.0f);
    shared_base = RowBase(shared);
    private_base = RowBase(per_thread);
}
