#include "terrain/step_workers.h"

#include <algorithm>

step_workers::step_workers(int requested) : count(std::max(1, requested)) {
    for (int i = 1; i < count; ++i)
        threads.emplace_back([this, i] { WorkerLoop(i); });
}

step_workers::~step_workers() {
    {
        std::lock_guard lock(mutex);
        quitting = true;
    }
    wake.notify_all();
    for (std::thread& t : threads)
        t.join();
}

void step_workers::RunJob(const void* new_job, call new_invoke) {
    if (count == 1) {
        new_invoke(new_job, 0);
        return;
    }
    {
        std::lock_guard lock(mutex);
        job = new_job;
        invoke = new_invoke;
        unfinished = count - 1;
        ++generation;
    }
    wake.notify_all();
    new_invoke(new_job, 0);
    std::unique_lock lock(mutex);
    done.wait(lock, [this] { return unfinished == 0; });
    job = nullptr;
}

void step_workers::WorkerLoop(int index) {
    unsigned seen = 0;
    for (;;) {
        const void* current;
        call current_invoke;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&] { return quitting || generation != seen; });
            if (quitting) return;
            seen = generation;
            current = job;
            current_invoke = invoke;
        }
        current_invoke(current, index);
        {
            std::lock_guard lock(mutex);
            if (--unfinished == 0) done.notify_one();
        }
    }
}
