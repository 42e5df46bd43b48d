#include "terrain/step_scratch.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// The first float whose successor starts a cache line.
float* RowBase(std::vector<float>& buffer) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(buffer.data()) + sizeof(float);
    const uintptr_t aligned = (address + 63) & ~uintptr_t(63);
    return reinterpret_cast<float*>(aligned) - 1;
}

// Threads of other work ready to run right now: the kernel's count of runnable threads,
// less the one asking. -1 when it cannot be read.
int OtherRunnableThreads() {
    const int fd = ::open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char text[128];
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (length <= 0) return -1;
    text[length] = 0;
    // "0.52 0.58 0.59 3/245 1234": the fourth field counts runnable/all threads.
    const char* p = text;
    for (int field = 0; field < 3 && p; ++field) {
        p = std::strchr(p, ' ');
        if (p) ++p;
    }
    if (!p) return -1;
    return std::atoi(p) - 1;
}

}  // namespace

int step_scratch::thread_choice::Threads(int available) {
    crowded = false;
    if (available <= 1 || !follow_load) return available;
    static const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    if (single_steps_left > 0) {
        --single_steps_left;
        crowded = true;
    } else if (OtherRunnableThreads() >= cores) {
        crowded = true;
    }
    return crowded ? 1 : available;
}

void step_scratch::thread_choice::Record(int threads, uint64_t pass_ticks, uint64_t waited_ticks) {
    if (threads <= 1) return;
    if (waited_ticks * 100 > pass_ticks * uint64_t(threads) * kMostWaiting) {
        single_steps_left = back_off;
        back_off = back_off < kLongestBackOff ? 2 * back_off : kLongestBackOff;
    } else {
        back_off = kFirstBackOff;
    }
}

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
