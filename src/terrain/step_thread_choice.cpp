#include "terrain/step_thread_choice.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

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

int step_thread_choice::Threads(int available, int own_awake) {
    crowded = false;
    if (available <= 1 || !follow_load) return available;
    static const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    if (single_steps_left > 0) {
        --single_steps_left;
        crowded = true;
    } else if (OtherRunnableThreads() - own_awake >= cores) {
        crowded = ++busy_samples >= 2;
    } else {
        busy_samples = 0;
    }
    return crowded ? 1 : available;
}

void step_thread_choice::Record(int threads, uint64_t pass_ticks, uint64_t waited_ticks) {
    if (threads <= 1) return;
    if (waited_ticks * 100 > pass_ticks * uint64_t(threads) * kMostWaiting) {
        single_steps_left = back_off;
        back_off = back_off < kLongestBackOff ? 2 * back_off : kLongestBackOff;
    } else {
        back_off = kFirstBackOff;
    }
}
