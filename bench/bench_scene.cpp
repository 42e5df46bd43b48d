// Saving and loading a 1024 x 1024 scene. Reports the seconds (three repetitions: look at the
// medians), the file size and the peak of memory while loading as a multiple of the file size
// (the kernel's peak resident set, reset before the load, less what was resident just before
// it). The load is also split into its parts: read_ms (the XML reader), convert_ms (text to
// numbers) and build_ms (checks, fields and draw buffers).
// Run: build/bench/bench_scene

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_landscape.h"
#include "kr/base/utils.h"
#include "terrain/app_settings.h"
#include "terrain/scene_file.h"
#include "terrain/terrain.h"

namespace {

// One file per process, so that two runs at once do not share it.
const std::string kFile = "/tmp/qor_bench_scene_1024_" + std::to_string(getpid()) + ".qor";

size_t StatusBytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stoull(line.substr(std::strlen(key))) * 1024;
    return 0;
}

void MakeScene(terrain& t, simulation_settings& s) {
    const std::vector<float>& h = bench::Landscape(1024);
    t.settings = &s;
    t.SetStepThreads(2);
    t.BuildFromHeights(h.data(), 1024, 1024);
    for (int i = 0; i < 10; ++i) {  // let the flows build up
        t.Simulate();
        t.UpdateBuffers();
    }
}

void SaveScene1024(benchmark::State& state) {
    simulation_settings s;
    display_settings d;
    terrain t;
    MakeScene(t, s);
    for (auto _ : state)
        SaveScene(kFile.c_str(), t, s, d);
    state.counters["file_MB"] = double(std::filesystem::file_size(kFile)) / 1e6;
}

void LoadScene1024(benchmark::State& state) {
    const double file = double(std::filesystem::file_size(kFile));
    double peak = 0;
    scene_load_times parts;
    for (auto _ : state) {
        state.PauseTiming();
        simulation_settings s;
        display_settings d;
        auto t = std::make_unique<terrain>();
        t->settings = &s;
        std::ofstream("/proc/self/clear_refs") << "5";
        const size_t before = StatusBytes("VmRSS:");
        state.ResumeTiming();
        LoadScene(kFile.c_str(), *t, s, d, &parts);
        state.PauseTiming();
        const size_t hwm = StatusBytes("VmHWM:");
        peak = std::max(peak, double(hwm - std::min(hwm, before)) / file);
        t.reset();
        state.ResumeTiming();
    }
    state.counters["peak_x_file"] = peak;
    state.counters["read_ms"] = parts.read * 1e3;
    state.counters["convert_ms"] = parts.convert * 1e3;
    state.counters["build_ms"] = parts.build * 1e3;
}

BENCHMARK(SaveScene1024)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadScene1024)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(kFile);
}
