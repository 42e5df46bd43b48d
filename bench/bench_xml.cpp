// Reading scene files with the XML reader: parse speed and peak memory of XmlElement::FromFile
// on a generated scene-like file of about 100 MB, and the speed of a loader's walk over it.
//
// Peak memory is measured two ways, both relative to the file size:
//  - rss_peak_x: the kernel's peak resident set (VmHWM), reset through /proc/self/clear_refs
//    before each parse, minus the resident set just before it;
//  - heap_peak_x: the peak of live bytes from operator new during the parse, counted by the
//    replacement allocator below.
//
// Run: build/bench/bench_xml (Release build).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>

#include "kr/base/random.h"
#include "kr/xml/xml_element.h"

namespace {

std::atomic<size_t> live_bytes{0};
std::atomic<size_t> peak_bytes{0};

void* CountedAlloc(size_t size) {
    // A header in front of every block keeps its size for the matching delete.
    void* block = std::malloc(size + 16);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    size_t now = live_bytes.fetch_add(size, std::memory_order_relaxed) + size;
    size_t peak = peak_bytes.load(std::memory_order_relaxed);
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + 16;
}

void CountedFree(void* p) {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - 16;
    live_bytes.fetch_sub(*static_cast<size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    return CountedAlloc(size);
}
void* operator new[](size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
    CountedFree(p);
}

namespace {

constexpr size_t kTargetBytes = 100'000'000;
constexpr int kColumns = 1024;

std::string scene_path;
size_t scene_bytes = 0;
int scene_rows = 0;

// Writes v with 6 significant digits, as the program's scene writer formats floats.
char* PutFloat(char* out, float v) {
    return std::to_chars(out, out + 32, v, std::chars_format::general, 6).ptr;
}

char* PutAttribute(char* out, const char* name, float v) {
    size_t n = std::strlen(name);
    std::memcpy(out, name, n);
    out += n;
    *out++ = '=';
    *out++ = '"';
    out = PutFloat(out, v);
    *out++ = '"';
    return out;
}

// One vertex line of the scene format: ground, water depth and the eight flows. About half of
// the land is dry, with no water and no flow, as in a real scene.
char* PutVertex(char* out, int i, int j) {
    float ground =
        30.0f + 12.0f * std::sin(i * 0.011f) * std::cos(j * 0.017f) + KR::RandomFloat(-0.5f, 0.5f);
    bool wet = KR::Rand() % 2 == 0;
    float water = wet ? KR::RandomFloat(0.0f, 2.5f) : 0.0f;
    std::memcpy(out, "    <v><t ", 10);
    out = PutAttribute(out + 10, "z", ground);
    std::memcpy(out, "/><w ", 5);
    out = PutAttribute(out + 5, "z", water);
    std::memcpy(out, "><s", 3);
    out += 3;
    for (int k = 0; k < 8; ++k) {
        float flow = wet ? KR::RandomFloat(-1.0f, 1.0f) * std::pow(10.0f, -KR::RandomInt(1, 6)) : 0;
        const char name[] = {' ', 's', static_cast<char>('0' + k), '\0'};
        out = PutAttribute(out, name, flow);
    }
    std::memcpy(out, "/></w></v>\n", 11);
    return out + 11;
}

// The cluster's start tag, with the row count zero-padded so that it can be written again
// at the same width once the rows are out.
std::string ClusterTag(int rows) {
    char tag[160];
    std::snprintf(tag, sizeof tag,
                  "  <cluster x=\"%d\" y=\"%07d\" start_x=\"0\" end_x=\"%d\" start_y=\"0\" "
                  "end_y=\"%07d\">\n",
                  kColumns, rows, kColumns, rows);
    return tag;
}

// Streams the file row by row, so that generating it leaves no large buffer behind.
void WriteScene(const std::string& path) {
    KR::RandomSeed(7);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + path);
    std::fputs("<?xml version=\"1.0\" encoding=\"CP1250\"?>\n<terrain clusters=\"1\">\n", f);
    std::fputs("  <sun x=\"0.5\" y=\"0.5\" z=\"1\" />\n  <view x=\"45\" y=\"30\" z=\"900\" />\n",
               f);
    std::fputs("  <view_pos x=\"512\" y=\"512\" />\n", f);
    long cluster_at = std::ftell(f);
    std::fputs(ClusterTag(0).c_str(), f);
    std::string row(kColumns * 256, '\0');
    size_t written = static_cast<size_t>(std::ftell(f));
    int rows = 0;
    while (written < kTargetBytes) {
        char* out = row.data();
        std::memcpy(out, "  <row>\n", 8);
        out += 8;
        for (int i = 0; i < kColumns; ++i)
            out = PutVertex(out, i, rows);
        std::memcpy(out, "  </row>\n", 9);
        out += 9;
        std::fwrite(row.data(), 1, out - row.data(), f);
        written += out - row.data();
        ++rows;
    }
    std::fputs("  </cluster>\n</terrain>\n", f);
    std::fseek(f, cluster_at, SEEK_SET);
    std::fputs(ClusterTag(rows).c_str(), f);
    std::fclose(f);
    scene_rows = rows;
    scene_bytes = std::filesystem::file_size(path);
}

size_t StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::strtoull(line.c_str() + std::strlen(key), nullptr, 10);
    }
    return 0;
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_FromFile(benchmark::State& state) {
    double rss_peak = 0, heap_peak = 0;
    int code = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeakRss();
        size_t rss_before = StatusKb("VmRSS:") * 1024;
        size_t heap_before = live_bytes.load();
        peak_bytes.store(heap_before);
        state.ResumeTiming();

        XmlResult result;
        XmlElement terrain = XmlElement::FromFile(scene_path.c_str(), "terrain", &result);
        benchmark::DoNotOptimize(terrain);

        state.PauseTiming();
        code = result.error;
        size_t hwm = StatusKb("VmHWM:") * 1024;
        rss_peak = std::max(rss_peak, double(hwm - std::min(hwm, rss_before)) / scene_bytes);
        heap_peak = std::max(heap_peak, double(peak_bytes.load() - heap_before) / scene_bytes);
        terrain = XmlElement();
        state.ResumeTiming();
    }
    if (code != kXmlNoError) state.SkipWithError(XmlErrorText(code));
    state.SetBytesProcessed(static_cast<int64_t>(scene_bytes) * state.iterations());
    state.counters["MB_per_s"] =
        benchmark::Counter(scene_bytes / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = scene_bytes / 1e6;
    state.counters["rss_peak_x"] = rss_peak;
    state.counters["heap_peak_x"] = heap_peak;
}

// What the scene loader does per vertex: t's z, w's z and the eight flows by position.
float ReadVertex(const XmlElement& v) {
    float sum = std::strtof(v.Child("t").Attribute("z"), nullptr);
    XmlElement w = v.Child("w");
    sum += std::strtof(w.Attribute("z"), nullptr);
    XmlElement s = w.Child("s");
    for (int k = 0; k < 8; ++k)
        sum += std::strtof(s.AttributeAt(k).value, nullptr);
    return sum;
}

// The loader's walk by index: cluster k, row j, vertex i, each counted up on one handle.
void BM_LoaderWalkByIndex(benchmark::State& state) {
    XmlElement terrain = XmlElement::FromFile(scene_path.c_str(), "terrain");
    for (auto _ : state) {
        XmlElement cluster = terrain.Child("cluster", 0);
        int rows = std::atoi(cluster.Attribute("y"));
        float sum = 0;
        for (int j = 0; j < rows; ++j) {
            XmlElement row = cluster.Child("row", j);
            for (int i = 0; i < kColumns; ++i)
                sum += ReadVertex(row.Child("v", i));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["vertices_per_s"] = benchmark::Counter(
        double(scene_rows) * kColumns, benchmark::Counter::kIsIterationInvariantRate);
}

// The same walk with running positions.
void BM_LoaderWalkByPosition(benchmark::State& state) {
    XmlElement terrain = XmlElement::FromFile(scene_path.c_str(), "terrain");
    for (auto _ : state) {
        XmlElement cluster = terrain.Child("cluster", 0);
        float sum = 0;
        int row_position = 0;
        for (XmlElement row; !(row = cluster.Child("row", &row_position)).IsEmpty();) {
            int position = 0;
            for (XmlElement v; !(v = row.Child("v", &position)).IsEmpty();)
                sum += ReadVertex(v);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["vertices_per_s"] = benchmark::Counter(
        double(scene_rows) * kColumns, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_FromFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoaderWalkByIndex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoaderWalkByPosition)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    scene_path = (std::filesystem::temp_directory_path() / "qor_bench_scene.qor").string();
    WriteScene(scene_path);
    std::printf("scene file: %s, %zu bytes, %d rows of %d vertices\n", scene_path.c_str(),
                scene_bytes, scene_rows, kColumns);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (std::getenv("QOR_BENCH_KEEP") == nullptr) std::filesystem::remove(scene_path);
    return 0;
}
