#pragma once
// The threads a step or a hand-over is spread over: the calling thread plus count - 1 workers
// that wait for jobs. Run() hands the same job to every thread (each gets its index) and
// returns when all have finished it. Jobs come in quick succession (the passes of a step,
// the parts of a hand-over), so a thread that finds nothing to do spins a little before it
// sleeps: waking a sleeping thread costs more than many of the jobs.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct step_timing;

class step_workers {
  public:
    explicit step_workers(int count = 1);
    ~step_workers();
    step_workers(const step_workers&) = delete;
    step_workers& operator=(const step_workers&) = delete;

    int Count() const { return count; }
    // Workers not asleep: running a job or spinning for the next.
    int Awake() const { return awake.load(std::memory_order_relaxed); }
    // The job is only referred to, never copied: handing it over allocates nothing.
    template <class Job>
    void Run(const Job& job) {
        RunJob(&job, [](const void* j, int thread) { (*static_cast<const Job*>(j))(thread); });
    }

    // Where the passes run on these workers add their times, when set (benchmarks).
    step_timing* timing = nullptr;

  private:
    using call = void (*)(const void* job, int thread_index);
    void RunJob(const void* job, call invoke);
    void WorkerLoop(int index);

    int count;
    std::vector<std::thread> threads;
    // Written before the generation moves on, read after a worker saw it move.
    const void* job = nullptr;
    call invoke = nullptr;
    bool quitting = false;
    alignas(64) std::atomic<unsigned> generation{0};
    alignas(64) std::atomic<int> unfinished{0};
    std::atomic<int> awake{0};
};

// Splits rows [0, rows) into one contiguous band per thread and runs band(first, end) for
// each on its thread; a band may be empty.
template <class Band>
void RunRowBands(step_workers& workers, int rows, Band band) {
    const int n = workers.Count();
    workers.Run([&](int t) { band(int(int64_t(rows) * t / n), int(int64_t(rows) * (t + 1) / n)); });
}
