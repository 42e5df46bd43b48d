#include "terrain/step_workers.h"

#include <algorithm>

namespace {

// Pauses of spinning before a waiting thread sleeps: some tens of microseconds.
constexpr int kSpins = 4000;

// Waits while value holds old; returns what it holds then. While it sleeps, *awake (if
// given) counts it out.
template <class T>
T WaitWhile(const std::atomic<T>& value, T old, std::atomic<int>* awake = nullptr) {
    T now = value.load(std::memory_order_acquire);
    for (int spin = 0; spin < kSpins && now == old; ++spin) {
        __builtin_ia32_pause();
        now = value.load(std::memory_order_acquire);
    }
    while (now == old) {
        if (awake) awake->fetch_sub(1, std::memory_order_relaxed);
        value.wait(old, std::memory_order_acquire);
        if (awake) awake->fetch_add(1, std::memory_order_relaxed);
        now = value.load(std::memory_order_acquire);
    }
    return now;
}

}  // namespace

step_workers::step_workers(int requested) : count(std::max(1, requested)), awake(count - 1) {
    for (int i = 1; i < count; ++i)
        threads.emplace_back([this, i] { WorkerLoop(i); });
}

step_workers::~step_workers() {
    quitting = true;
    generation.fetch_add(1, std::memory_order_release);
    generation.notify_all();
    for (std::thread& t : threads)
        t.join();
}

void step_workers::RunJob(const void* new_job, call new_invoke) {
    if (count == 1) {
        new_invoke(new_job, 0);
        return;
    }
    job = new_job;
    invoke = new_invoke;
    unfinished.store(count - 1, std::memory_order_relaxed);
    generation.fetch_add(1, std::memory_order_release);
    generation.notify_all();  // no system call while every worker still spins
    new_invoke(new_job, 0);
    for (int left = unfinished.load(std::memory_order_acquire); left != 0;)
        left = WaitWhile(unfinished, left);
}

void step_workers::WorkerLoop(int index) {
    unsigned seen = 0;  // as made: a job handed out before this thread ran is still to do
    for (;;) {
        seen = WaitWhile(generation, seen, &awake);
        if (quitting) return;
        invoke(job, index);
        if (unfinished.fetch_sub(1, std::memory_order_acq_rel) == 1) unfinished.notify_all();
    }
}
