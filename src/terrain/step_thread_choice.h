#pragma once
// How many threads the step and the hand-over use. The strips of the flow pass move in step,
// row by row: when a neighbour keeps losing its core to other work (the drawing, a build),
// every thread mostly waits and the pass gets slower than on one thread. So the step takes
// one thread while other work keeps every core busy, and also for a while after a pass whose
// threads mostly waited: for twice as many steps each time the threads are tried again and
// still wait. A pass whose threads rarely wait resets that.

#include <cstdint>

struct step_thread_choice {
    static constexpr int kMostWaiting = 50;  // percent of the pass's threads' time
    static constexpr int kFirstBackOff = 8, kLongestBackOff = 256;
    // Tests that must run every thread they ask for switch this off.
    static inline bool follow_load = true;
    int single_steps_left = 0;
    // Passes in a row that found every core busy: one could be a passing kernel thread.
    int busy_samples = 0;
    int back_off = kFirstBackOff;
    bool crowded = false;

    // The threads for the next pass, of those available; marks the step crowded when one.
    // own_awake: this step's worker threads that are running now (spinning after the last
    // job), which the kernel counts as runnable like any other work.
    int Threads(int available, int own_awake = 0);
    // What the pass on that many threads cost, and how long its threads waited in all.
    void Record(int threads, uint64_t pass_ticks, uint64_t waited_ticks);
    bool Crowded() const { return crowded; }
};
