#include "terrain/step_timing.h"

#include <chrono>
#include <thread>

double step_timing::TicksPerSecond() {
    static const double rate = [] {
        using clock = std::chrono::steady_clock;
        const auto t0 = clock::now();
        const uint64_t c0 = Now();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const uint64_t c1 = Now();
        const double seconds = std::chrono::duration<double>(clock::now() - t0).count();
        return double(c1 - c0) / seconds;
    }();
    return rate;
}
