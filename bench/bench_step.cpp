// Speed of the water step and the hand-over to drawing on noise landscapes flooded as
// generation floods them. Step/<size>/<threads>, ReferenceStep/<size> (the literal model the
// fast step must match), HandOver/<size>/<threads>; the Erosion variants switch slope
// collapse on; StepLoaded runs the step beside one busy thread per core, as the drawing
// does in the program. StepParts and HandOverParts report where the time goes (milliseconds
// per step of each part, averaged over the threads, and each thread's waiting); `allocs`
// counts heap allocations per step or hand-over.
// Run: build/bench/bench_step

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "allocation_count.h"
#include "bench_landscape.h"
#include "terrain/flow_pass.h"
#include "terrain/step_timing.h"
#include "terrain/terrain.h"
#ifndef QOR_NO_REFERENCE
#include "terrain/reference_model.h"
#endif

namespace {

// One thread per core spinning on arithmetic while it lives.
class busy_cores {
  public:
    busy_cores() {
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            threads.emplace_back([this] {
                volatile double x = 1.0;
                while (!stop.load(std::memory_order_relaxed))
                    for (int k = 0; k < 1000; ++k)
                        x = x * 1.0000001 + 1e-9;
            });
    }
    ~busy_cores() {
        stop = true;
        for (std::thread& t : threads)
            t.join();
    }

  private:
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
};

std::unique_ptr<terrain> MakeTerrain(int size, int threads, simulation_settings* s) {
    auto t = std::make_unique<terrain>();
    t->settings = s;
    t->SetStepThreads(threads);
    t->BuildFromHeights(bench::Landscape(size).data(), size, size);
    return t;
}

// Milliseconds per iteration of each part, averaged over the threads, and each thread's wait.
void ReportParts(benchmark::State& state, const step_timing& timing, int threads,
                 std::initializer_list<std::pair<const char*, step_timing::part>> parts) {
    const double ms = 1e3 / step_timing::TicksPerSecond() / double(state.iterations());
    for (const auto& [name, part] : parts) {
        double sum = 0;
        for (int t = 0; t < threads; ++t) {
            double ticks = double(timing.threads[t].ticks[part]);
            if (part == step_timing::kTransport)  // the strip's whole time, less the rest
                for (step_timing::part other :
                     {step_timing::kRain, step_timing::kFlowPhase1, step_timing::kWait})
                    ticks -= double(timing.threads[t].ticks[other]);
            sum += ticks;
        }
        state.counters[name] = sum / threads * ms;
    }
    for (int t = 0; t < threads && parts.size() > 0 && parts.begin()->second == step_timing::kRain;
         ++t)
        state.counters["wait" + std::to_string(t)] =
            double(timing.threads[t].ticks[step_timing::kWait]) * ms;
}

void RunStep(benchmark::State& state, bool erosion, bool parts = false) {
    const int size = int(state.range(0)), threads = int(state.range(1));
    simulation_settings s;
    s.stop_erosion = erosion ? 0 : 1;
    auto t = MakeTerrain(size, threads, &s);
    for (int i = 0; i < 3; ++i) {  // let the flood start moving
        t->Simulate();
        t->UpdateBuffers();
    }
    step_timing timing;
    if (parts) t->StepWorkers().timing = &timing;
    long allocs = 0, crowded = 0;
    for (auto _ : state) {
        const long before = bench::allocations.load();
        t->Simulate();
        allocs += bench::allocations.load() - before;
        crowded += t->clusters[0].scratch.thread_choice.Crowded();
        state.PauseTiming();
        t->UpdateBuffers();
        state.ResumeTiming();
    }
    t->StepWorkers().timing = nullptr;

    state.counters["steps/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes/vertex"] = double(t->clusters[0].MemoryBytes()) / (double(size) * size);
    state.counters["allocs"] = double(allocs) / double(state.iterations());
    // The share of steps that took one thread because the cores were busy.
    if (threads > 1) state.counters["crowded"] = double(crowded) / double(state.iterations());
    if (parts)
        ReportParts(state, timing, threads,
                    {{"rain", step_timing::kRain},
                     {"phase1", step_timing::kFlowPhase1},
                     {"transport", step_timing::kTransport},
                     {"slope", step_timing::kSlope}});
}

void Step(benchmark::State& state) {
    RunStep(state, false);
}
// The narrower kernels, for processors without AVX-512 or AVX2.
void StepAvx2Kernels(benchmark::State& state) {
    step_kernel_limit = step_kernels::avx2;
    RunStep(state, false);
    step_kernel_limit = step_kernels::best;
}
void StepPlainKernels(benchmark::State& state) {
    step_kernel_limit = step_kernels::plain;
    RunStep(state, false);
    step_kernel_limit = step_kernels::best;
}
void StepErosion(benchmark::State& state) {
    RunStep(state, true);
}
void StepParts(benchmark::State& state) {
    RunStep(state, true, true);
}
void StepLoaded(benchmark::State& state) {
    busy_cores busy;
    RunStep(state, false);
}

// Each hand-over follows a step, as in the program (the step is not timed).
void RunHandOver(benchmark::State& state, bool parts) {
    const int size = int(state.range(0)), threads = int(state.range(1));
    simulation_settings s;
    auto t = MakeTerrain(size, threads, &s);
    t->Simulate();
    step_timing timing;
    if (parts) t->StepWorkers().timing = &timing;
    long allocs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        step_timing* sink = t->StepWorkers().timing;
        t->StepWorkers().timing = nullptr;
        t->Simulate();
        t->StepWorkers().timing = sink;
        state.ResumeTiming();
        const long before = bench::allocations.load();
        t->UpdateBuffers();
        allocs += bench::allocations.load() - before;
    }
    t->StepWorkers().timing = nullptr;
    state.counters["hand-overs/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["allocs"] = double(allocs) / double(state.iterations());
    if (parts)
        ReportParts(state, timing, threads,
                    {{"swap", step_timing::kSwap},
                     {"copy", step_timing::kCopy},
                     {"heights", step_timing::kHeights},
                     {"normals", step_timing::kNormals},
                     {"depth", step_timing::kDepth},
                     {"extras", step_timing::kExtras}});
}
void HandOver(benchmark::State& state) {
    RunHandOver(state, false);
}
void HandOverParts(benchmark::State& state) {
    RunHandOver(state, true);
}

#ifndef QOR_NO_REFERENCE
void RunReferenceStep(benchmark::State& state, bool erosion) {
    const int size = int(state.range(0));
    simulation_settings s;
    s.stop_erosion = erosion ? 0 : 1;
    QorTest::reference::cluster c;
    c.settings = &s;
    c.Generate(bench::Landscape(size), size, size);
    float z_min, z_max;
    for (auto _ : state) {
        c.Step(s);
        state.PauseTiming();
        c.SwapAndRefresh(s, z_min, z_max);
        state.ResumeTiming();
    }
    state.counters["steps/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
void ReferenceStep(benchmark::State& state) {
    RunReferenceStep(state, false);
}
void ReferenceStepErosion(benchmark::State& state) {
    RunReferenceStep(state, true);
}
BENCHMARK(ReferenceStep)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ReferenceStepErosion)->Arg(512)->Unit(benchmark::kMillisecond);
#endif

void SizesAndThreads(benchmark::internal::Benchmark* b) {
    for (int size : {256, 512, 1024})
        for (int threads : {1, 2})
            b->Args({size, threads});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(Step)->Apply(SizesAndThreads);
BENCHMARK(StepAvx2Kernels)->Args({512, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StepPlainKernels)->Args({512, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StepErosion)->Apply(SizesAndThreads);
BENCHMARK(HandOver)->Apply(SizesAndThreads);
BENCHMARK(StepLoaded)->Apply(SizesAndThreads);
BENCHMARK(StepParts)->Apply(SizesAndThreads);
BENCHMARK(HandOverParts)->Apply(SizesAndThreads);

}  // namespace

BENCHMARK_MAIN();
