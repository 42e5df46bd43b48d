#pragma once
// Where the time of a step and of a hand-over goes, per thread and part, in processor ticks.
// The benchmarks hang one on the workers; without it the passes only test a pointer.

#include <x86intrin.h>
#include <cstdint>

struct step_timing {
    enum part : int {
        // The step.
        kRain,
        kFlowPhase1,
        kTransport,
        kSlope,
        kWait,  // a thread waiting for its neighbour's strip
        // The hand-over.
        kSwap,
        kCopy,
        kHeights,  // drawn heights and shallow-water blending
        kNormals,
        kDepth,   // smoothed depth
        kExtras,  // centre vertices
        kParts
    };
    static constexpr int kMaxThreads = 8;

    struct alignas(64) thread_ticks {
        uint64_t ticks[kParts] = {};
    };
    thread_ticks threads[kMaxThreads];

    static uint64_t Now() { return __rdtsc(); }
    void Add(int thread, part p, uint64_t ticks) {
        if (thread >= 0 && thread < kMaxThreads) threads[thread].ticks[p] += ticks;
    }
    void Clear() {
        for (thread_ticks& t : threads)
            t = thread_ticks{};
    }
    // Ticks per second of Now(), measured once against the steady clock.
    static double TicksPerSecond();
};

// Adds the ticks from here to the end of the scope, when there is a sink.
class timed_part {
  public:
    timed_part(step_timing* sink, int thread, step_timing::part p)
        : sink(sink), thread(thread), p(p), start(sink ? step_timing::Now() : 0) {}
    ~timed_part() {
        if (sink) sink->Add(thread, p, step_timing::Now() - start);
    }
    timed_part(const timed_part&) = delete;
    timed_part& operator=(const timed_part&) = delete;

  private:
    step_timing* sink;
    int thread;
    step_timing::part p;
    uint64_t start;
};
