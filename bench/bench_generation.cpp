// Time of each terrain generation algorithm on a 1024 x 1024 grid. Random Points and Perlin
// Noise run on 1 and 2 threads; detail is the number of points or faults.
#include <benchmark/benchmark.h>

#include "kr/base/random.h"
#include "terrain/terrain.h"

namespace {

using algorithm_routine = int (terrain::*)(terrain_generation_info&);

void Run(benchmark::State& state, algorithm_routine routine, int detail, int threads) {
    terrain t;
    t.SetStepThreads(threads);
    terrain_generation_info g;
    g.x = g.y = 1024;
    g.detail = detail;
    g.InitData();
    for (auto _ : state) {
        KR::RandomSeed(1);
        benchmark::DoNotOptimize((t.*routine)(g));
        benchmark::DoNotOptimize(g.grid[512 * 1024 + 512]);
    }
    state.counters["cells"] = benchmark::Counter(double(g.Cells()) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

void BM_RandomPoints(benchmark::State& state) {
    Run(state, &terrain::GenerateTerrainRandomPoint, int(state.range(0)), int(state.range(1)));
}
BENCHMARK(BM_RandomPoints)
    ->ArgNames({"detail", "threads"})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

void BM_Faulting(benchmark::State& state) {
    Run(state, &terrain::GenerateTerrainFaulting, int(state.range(0)), 1);
}
BENCHMARK(BM_Faulting)
    ->ArgName("detail")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

void BM_PerlinNoise(benchmark::State& state) {
    Run(state, &terrain::GenerateTerrainPerlin, 0, int(state.range(0)));
}
BENCHMARK(BM_PerlinNoise)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
