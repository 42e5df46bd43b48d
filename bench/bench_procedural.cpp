// Time of each start-up texture generator with the default settings, on one thread and on
// every processor (the generators that draw random values per pixel have no thread choice).
#include <benchmark/benchmark.h>

#include "kr/procedural/procedural_textures.h"
#include "kr/base/random.h"

namespace {

void BM_NoiseMap1D(benchmark::State& state) {
    KR::RandomSeed(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(KR::CreateNoiseMap1D(512, 200, 255, false).data);
}
BENCHMARK(BM_NoiseMap1D)->Unit(benchmark::kMillisecond);

void BM_TerrainDetailMap(benchmark::State& state) {
    KR::RandomSeed(1);
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(KR::CreateTerrainDetailMap(512, 150, 255, false, threads).data);
}
BENCHMARK(BM_TerrainDetailMap)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_WaterWaveNormalMap(benchmark::State& state) {
    KR::RandomSeed(1);
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(KR::CreateWaterWaveNormalMap(128, 64, false, threads).data);
}
BENCHMARK(BM_WaterWaveNormalMap)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_SkyBoxClouds(benchmark::State& state) {
    KR::RandomSeed(1);
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(KR::CreateSkyBoxClouds(1024, 0.6f, 0.3f, false, threads).data);
}
BENCHMARK(BM_SkyBoxClouds)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_SkyBoxStars(benchmark::State& state) {
    KR::RandomSeed(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(KR::CreateSkyBoxStars(1024, 0.5f, false).data);
}
BENCHMARK(BM_SkyBoxStars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
