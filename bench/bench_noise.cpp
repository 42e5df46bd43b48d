// Samples per second of the noise configurations start-up and generation lean on.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "kr/noise/perlin_noise_2d.h"
#include "kr/noise/perlin_noise_3d.h"

namespace {

void Report(benchmark::State& state, int64_t samples) {
    state.counters["samples"] =
        benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
}

// Terrain generation: one row of a 1024 x 1024 grid per iteration, 5 octaves.
void BM_Noise2D(benchmark::State& state) {
    KR::PerlinNoise2D noise;
    noise.SetSeed(1234);
    noise.SetSize(100, 100, 4);
    noise.SetParams(5, 2.0f, 0);
    noise.SetNoiseType(static_cast<int>(state.range(0)), 0);
    int64_t samples = 0;
    int y = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        for (int x = 0; x < 1024; ++x)
            sum += noise.Get(static_cast<float>(x), static_cast<float>(y));
        benchmark::DoNotOptimize(sum);
        y = (y + 1) & 1023;
        samples += 1024;
    }
    Report(state, samples);
}
BENCHMARK(BM_Noise2D)->ArgName("function")->Arg(1)->Arg(3);

// Sky-box clouds: improved noise, 6 octaves, around the cube the sky is sampled on.
void BM_Noise3DImproved(benchmark::State& state) {
    KR::PerlinNoise3D noise;
    noise.SetParams(6, 1.5f, 0);
    noise.SetNoiseType(KR::PerlinNoise3D::kImproved, static_cast<int>(state.range(0)));
    noise.SetOffset(37.0f, 151.5f, 203.25f);
    int64_t samples = 0;
    int j = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        const float v = static_cast<float>(j) / 1023.0f - 0.5f;
        for (int i = 0; i < 1024; ++i) {
            const float u = static_cast<float>(i) / 1023.0f - 0.5f;
            sum += noise.Get(10.0f + 5.0f * u, 10.0f + 5.0f * v, 12.5f);
        }
        benchmark::DoNotOptimize(sum);
        j = (j + 1) & 1023;
        samples += 1024;
    }
    Report(state, samples);
}
BENCHMARK(BM_Noise3DImproved)->ArgName("combination")->Arg(0)->Arg(2);

// Water normal map: interpolated lattice noise over a tiling 128 x 128 x 64 volume.
void BM_Noise3D(benchmark::State& state) {
    KR::PerlinNoise3D noise;
    noise.SetSeed(4321);
    noise.SetSize(128, 128, 64, 8);
    noise.SetParams(4, 2.0f, 1);
    noise.SetNoiseType(static_cast<int>(state.range(0)), 0);
    int64_t samples = 0;
    int row = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        const float y = static_cast<float>(row & 127), z = static_cast<float>(row >> 7);
        for (int x = 0; x < 128; ++x)
            sum += noise.Get(static_cast<float>(x), y, z);
        benchmark::DoNotOptimize(sum);
        row = (row + 1) & 8191;
        samples += 128;
    }
    Report(state, samples);
}
BENCHMARK(BM_Noise3D)->ArgName("function")->Arg(1)->Arg(3);

}  // namespace

BENCHMARK_MAIN();
