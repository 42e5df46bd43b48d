// The run of qor-sim: generate or load, simulate, report and write what was asked for.

#include "sim_run.h"

#include <memory>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <thread>
#include <vector>

#include "kr/image/bmp_writer.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/base/utils.h"
#include "sim_pictures.h"
#include "terrain/app_settings.h"
#include "terrain/config_file.h"
#include "terrain/height_map.h"
#include "terrain/scene_file.h"
#include "terrain/step_driver.h"
#include "terrain/terrain.h"

namespace {

void Report(const terrain& t, double seconds, int steps) {
    double volume = 0;
    float ground_low = 1e30f, ground_high = -1e30f, surface_low = 1e30f, surface_high = -1e30f;
    int columns = 0, rows = 0;
    for (unsigned k = 0; k < t.cluster_count; ++k) {
        const vertex_2d_field& f = *t.clusters[k].read_field;
        columns = f.Width() - 2;
        rows = f.Height() - 2;
        for (int y = 1; y <= rows; ++y)
            for (int x = 1; x <= columns; ++x) {
                const float ground = f.GetTerrain(x, y), water = f.GetWater(x, y);
                volume += water;
                ground_low = std::min(ground_low, ground);
                ground_high = std::max(ground_high, ground);
                if (water > 0) {
                    surface_low = std::min(surface_low, ground + water);
                    surface_high = std::max(surface_high, ground + water);
                }
            }
    }
    std::printf("Grid:            %d x %d vertices\n", columns, rows);
    std::printf("Water volume:    %.3f\n", volume);
    std::printf("Ground:          %.3f ... %.3f\n", ground_low, ground_high);
    if (surface_low <= surface_high)
        std::printf("Water surface:   %.3f ... %.3f\n", surface_low, surface_high);
    else
        std::printf("Water surface:   no water\n");
    if (steps > 0 && seconds > 0)
        std::printf("Steps:           %d in %.2f s, %.1f steps per second\n", steps, seconds,
                    steps / seconds);
}

// Writes one value per vertex of the first cluster as grey levels from its lowest to its
// highest value.
template <class Value>
void WriteGreyImage(const terrain& t, const std::string& file, Value value, const char* what) {
    const vertex_2d_field& f = *t.clusters[0].read_field;
    const int w = f.Width() - 2, h = f.Height() - 2;
    float low = 1e30f, high = -1e30f;
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x) {
            low = std::min(low, value(f, x, y));
            high = std::max(high, value(f, x, y));
        }
    std::vector<uint8_t> grey(size_t(w) * h);
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x) {
            const float v = high > low ? (value(f, x, y) - low) / (high - low) : 0.0f;
            grey[size_t(y - 1) * w + (x - 1)] = uint8_t(v * 255.0f + 0.5f);
        }
    KR::SaveGrey2BMP(file.c_str(), w, h, grey.data());
    std::printf("%-17s%s\n", what, file.c_str());
}

}  // namespace

int RunSim(sim_options& options) {
    KR::UtilsInit();
    KR::console.SetStream(&std::cerr);
    terrain t;
    if (!options.config.empty()) {
        LoadConfig(options.config.c_str(),
                   {sim_settings, display, program, textures, t.generation});
    }
    if (options.threads == 0)
        options.threads = std::max(1, int(std::thread::hardware_concurrency()));
    t.SetStepThreads(options.threads);

    if (!options.load.empty()) {
        try {
            LoadScene(options.load.c_str(), t, sim_settings, display);
        } catch (const KR::Error& e) {
            throw KR::ErrorFile("", e.Message(), options.load);  // say which file
        }
        std::printf("Scene:           %s\n", options.load.c_str());
    } else if (!options.import_heights.empty()) {
        if (options.size) t.generation.x = t.generation.y = options.size;
        t.generation.CheckTerrainParameters();
        ImportHeightMap(t, options.import_heights, options.image_given ? options.image_width : 0,
                        options.image_given ? options.image_height : 0);
        std::printf("Imported:        %s\n", options.import_heights.c_str());
    } else {
        if (options.size) t.generation.x = t.generation.y = options.size;
        if (options.algorithm >= 0) t.generation.algorithm = options.algorithm;
        if (!options.import.empty()) t.generation.algorithm = kAlgorithmImportBitmap;
        t.generation.CheckTerrainParameters();
        // The import asks for its file as in the program; here the command line answers.
        fixed_file_name import_file(options.import);
        if (t.generation.algorithm == kAlgorithmImportBitmap) {
            if (options.import.empty()) {
                std::fprintf(stderr,
                             "qor-sim: Import Bitmap needs the image: give --import FILE\n");
                return 2;
            }
            t.file_names = &import_file;
        }
        if (options.seed < 0) options.seed = KR::GetTickCount() % 32767;
        KR::RandomSeed(int(options.seed));
        t.GenerateTerrain();
        t.file_names = nullptr;
        if (t.cluster_count == 0) throw KR::Error("qor-sim", ": The generation made no terrain.");
        std::printf("Seed:            %lld (algorithm %d)\n", options.seed, t.generation.algorithm);
        if (!options.import.empty()) std::printf("Imported:        %s\n", options.import.c_str());
    }

    std::unique_ptr<sim_pictures> pictures;
    if (options.Draws()) pictures = std::make_unique<sim_pictures>(options, t);

    std::printf("Running %d steps on %d thread%s.\n", options.steps, options.threads,
                options.threads == 1 ? "" : "s");
    const double start = KR::GetTime();
    // Single-thread mode: the step itself is spread over --threads, and only the pictures could
    // run beside a worker's step, yet they read the scene objects a step moves. A step whose
    // hand-over this mode skips (water and erosion stopped) changes nothing in the grid.
    step_driver driver(t, false);
    driver.Start();
    for (int step = 1; step <= options.steps; ++step) {
        driver.Advance();
        if (pictures) pictures->AfterStep(step);
        if (step % 50 == 0 || step == options.steps) {
            std::fprintf(stderr, "\rstep %d of %d", step, options.steps);
            std::fflush(stderr);
        }
    }
    const double seconds = KR::GetTime() - start;
    if (options.steps > 0) std::fputs("\n", stderr);
    Report(t, seconds, options.steps);

    if (pictures) pictures->Snapshot();
    if (!options.save.empty()) {
        SaveScene(options.save.c_str(), t, sim_settings, display);
        std::printf("Saved scene:     %s\n", options.save.c_str());
    }
    if (!options.heights_image.empty())
        WriteGreyImage(
            t, options.heights_image,
            [](const vertex_2d_field& f, int x, int y) { return f.GetTerrain(x, y); },
            "Heights image:");
    if (!options.depth_image.empty())
        WriteGreyImage(
            t, options.depth_image,
            [](const vertex_2d_field& f, int x, int y) { return f.GetWater(x, y); },
            "Depth image:");
    if (!options.export_heights.empty())
        std::printf("Height map:      %s\n",
                    ExportHeightMap(t, height_map_plane::ground, options.export_heights).c_str());
    if (!options.export_depth.empty())
        std::printf(
            "Depth map:       %s\n",
            ExportHeightMap(t, height_map_plane::water_depth, options.export_depth).c_str());
    return 0;
}
