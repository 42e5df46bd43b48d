// Speed of the water step and the hand-over to drawing on noise landscapes flooded as
// generation floods them. Step/<size>/<threads>, ReferenceStep/<size> (the literal model the
// fast step must match), HandOver/<size>/<threads>; the Erosion variants switch slope
// collapse on. Run: build/bench/bench_step

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench_landscape.h"
#include "terrain/flow_pass.h"
#include "terrain/terrain.h"
#ifndef QOR_NO_REFERENCE
#include "terrain/reference_model.h"
#endif

namespace {

std::unique_ptr<terrain> MakeTerrain(int size, int threads, simulation_settings* s) {
    auto t = std::make_unique<terrain>();
    t->settings = s;
    t->SetStepThreads(threads);
    t->BuildFromHeights(bench::Landscape(size).data(), size, size);
    return t;
}

void RunStep(benchmark::State& state, bool erosion) {
    const int size = int(state.range(0)), threads = int(state.range(1));
    simulation_settings s;
    s.stop_erosion = erosion ? 0 : 1;
    auto t = MakeTerrain(size, threads, &s);
    for (int i = 0; i < 3; ++i) {  // let the flood start moving
        t->Simulate();
        t->UpdateBuffers();
    }
    for (auto _ : state) {
        t->Simulate();
        state.PauseTiming();
        t->UpdateBuffers();
        state.ResumeTiming();
    }

    state.counters["steps/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes/vertex"] = double(t->clusters[0].MemoryBytes()) / (double(size) * size);
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

void HandOver(benchmark::State& state) {
    const int size = int(state.range(0)), threads = int(state.range(1));
    simulation_settings s;
    auto t = MakeTerrain(size, threads, &s);
    t->Simulate();
    for (auto _ : state)
        t->UpdateBuffers();
    state.counters["hand-overs/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

#ifndef QOR_NO_REFERENCE
void RunReferenceStep(benchmark::State& state, bool erosion) {
    const int size = int(state.range(0));
    simulation_settings s;
    s.stop_erosion = erosion ? 0 : 1;
    reference::cluster c;
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

}  // namespace

BENCHMARK_MAIN();
