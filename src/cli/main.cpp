// qor-sim: runs the water simulation without a window and reports on it.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <thread>
#include <vector>

#include "kr/bmp_writer.h"
#include "kr/error.h"
#include "kr/perlin_noise_2d.h"
#include "kr/utils.h"
#include "sim_options.h"
#include "terrain/terrain.h"

namespace {

// Heights 0 ... 20 from five octaves of noise, the default landscape's range.
std::vector<float> NoiseLandscape(int size, int seed) {
    KR::PerlinNoise2D noise;
    noise.SetSeed(seed);
    noise.SetSize(size, size, std::min(4, size));
    noise.SetParams(5, 2.0f, 0);
    noise.SetNoiseType(1, 0);
    std::vector<float> heights(size_t(size) * size);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i)
            heights[size_t(j) * size + i] = noise.Get(float(i), float(j));
    const auto [lo, hi] = std::minmax_element(heights.begin(), heights.end());
    const float low = *lo, range = *hi - *lo;
    for (float& h : heights)
        h = range > 0 ? (h - low) * (20.0f / range) : 0.0f;
    return heights;
}

void Report(const terrain& t, double seconds, int steps) {
    const vertex_2d_field& f = *t.clusters[0].read_field;
    double volume = 0;
    float ground_low = 1e30f, ground_high = -1e30f, surface_low = 1e30f, surface_high = -1e30f;
    for (int y = 1; y < f.Height() - 1; ++y)
        for (int x = 1; x < f.Width() - 1; ++x) {
            const float ground = f.GetTerrain(x, y), water = f.GetWater(x, y);
            volume += water;
            ground_low = std::min(ground_low, ground);
            ground_high = std::max(ground_high, ground);
            if (water > 0) {
                surface_low = std::min(surface_low, ground + water);
                surface_high = std::max(surface_high, ground + water);
            }
        }
    std::printf("Grid:            %d x %d vertices\n", f.Width() - 2, f.Height() - 2);
    std::printf("Water volume:    %.3f\n", volume);
    std::printf("Ground:          %.3f ... %.3f\n", ground_low, ground_high);
    if (surface_low <= surface_high)
        std::printf("Water surface:   %.3f ... %.3f\n", surface_low, surface_high);
    else
        std::printf("Water surface:   no water left\n");
    if (steps > 0 && seconds > 0)
        std::printf("Steps:           %d in %.2f s, %.1f steps per second\n", steps, seconds,
                    steps / seconds);
}

void WriteDepthImage(const terrain& t, const std::string& file) {
    const vertex_2d_field& f = *t.clusters[0].read_field;
    const int w = f.Width() - 2, h = f.Height() - 2;
    float deepest = 0;
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x)
            deepest = std::max(deepest, f.GetWater(x, y));
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x) {
            const float d = deepest > 0 ? f.GetWater(x, y) / deepest : 0.0f;
            std::fill_n(&rgb[(size_t(y - 1) * w + (x - 1)) * 3], 3, uint8_t(d * 255.0f + 0.5f));
        }
    KR::SaveRGB2BMP(file.c_str(), w, h, rgb.data());
    std::printf("Depth image:     %s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    sim_options options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qor-sim: %s\n\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kSimUsage, stdout);
        return 0;
    }
    try {
        KR::UtilsInit();
        if (options.threads == 0)
            options.threads = std::max(1, int(std::thread::hardware_concurrency()));
        terrain t;
        t.SetStepThreads(options.threads);
        const std::vector<float> heights = NoiseLandscape(options.size, options.seed);
        t.BuildFromHeights(heights.data(), options.size, options.size);
        std::printf("Running %d steps on %d thread%s.\n", options.steps, options.threads,
                    options.threads == 1 ? "" : "s");
        const double start = KR::GetTime();
        for (int step = 1; step <= options.steps; ++step) {
            t.Simulate();
            t.UpdateBuffers();
            if (step % 50 == 0 || step == options.steps) {
                std::fprintf(stderr, "\rstep %d of %d", step, options.steps);
                std::fflush(stderr);
            }
        }
        const double seconds = KR::GetTime() - start;
        if (options.steps > 0) std::fputs("\n", stderr);
        Report(t, seconds, options.steps);
        if (!options.depth_image.empty()) WriteDepthImage(t, options.depth_image);
    } catch (const KR::Error& e) {
        std::fprintf(stderr, "qor-sim: %s\n", e.FullText().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qor-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
