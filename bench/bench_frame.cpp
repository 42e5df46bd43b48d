// The frame on llvmpipe at 800 x 600 (run under Xvfb): the whole terrain::Draw at the default
// switches (Frame), with shadows, vegetation and post-processing on (FrameAll), and the bare
// minimum of the terrain and water meshes with their programs and textures (MeshOnly).
// `allocs` counts the heap allocations of one frame after the first.

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>

#include "allocation_count.h"
#include "bench_landscape.h"
#include "graphics/graphics_state.h"
#include "graphics/opengl_setup.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "kr/gl/offscreen_context.h"
#include "render/cluster_draw.h"
#include "support/console_capture.h"
#include "terrain/app_settings.h"
#include "terrain/scene_box.h"
#include "terrain/scene_colors.h"
#include "terrain/terrain.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

// One context and set-up for the whole run; the landscapes are made once per size.
struct frame_bench {
    frame_bench() : context(kWidth, kHeight) {
        QorTest::ConsoleCapture quiet;
        graphics::SetUpOpenGL();
        graphics::view_layout layout;
        layout.client_width = kWidth;
        layout.client_height = kHeight;
        graphics::UpdateView(layout);
    }
    KR::OffscreenContext context;
};

terrain& Scene(int size) {
    static frame_bench gl;
    static std::map<int, std::unique_ptr<terrain>> scenes;
    auto& scene = scenes[size];
    if (!scene) {
        scene = std::make_unique<terrain>();
        scene->settings = &sim_settings;
        scene->BuildFromHeights(bench::Landscape(size).data(), size, size);
        scene->view = KR::Vector4(30, 60, size * 1.2f, 0);
        scene->sun = KR::Vector4(-45, 50, 80, 0);
    }
    return *scene;
}

template <class DrawOnce>
void Measure(benchmark::State& state, DrawOnce draw) {
    draw();
    glFinish();
    long allocs = 0, frames = 0;
    for (auto _ : state) {
        const long before = bench::allocations.load();
        draw();
        glFinish();  // the frame is done when the pixels are
        allocs += bench::allocations.load() - before;
        ++frames;
    }
    state.counters["allocs"] = frames ? double(allocs) / double(frames) : 0;
}

void BM_Frame(benchmark::State& state) {
    terrain& t = Scene(int(state.range(0)));
    const display_settings saved = display;
    Measure(state, [&] { t.Draw(); });
    display = saved;
}

void BM_FrameAll(benchmark::State& state) {
    terrain& t = Scene(int(state.range(0)));
    const display_settings saved = display;
    display.show_shadows = 1;
    display.show_vegetation = 1;
    display.postproc_enable = 1;
    graphics::postproc.options.convolution = 1;  // blur
    graphics::GeneratePostProcessing();
    Measure(state, [&] { t.Draw(); });
    display = saved;
    graphics::postproc.options = {};
    graphics::GeneratePostProcessing();
}

// The terrain and the water meshes with their programs and textures, and nothing else.
void BM_MeshOnly(benchmark::State& state) {
    terrain& t = Scene(int(state.range(0)));
    KR::Vector4 box[8];
    camera_info camera;
    const float b = SunBrightness(t.sun.y);
    Measure(state, [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SceneBox(t, box);
        t.UpdateCamera(box, &camera);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHT0);
        for (unsigned c = 0; c < t.cluster_count; ++c) {
            const render::cluster_pass pass{t.clusters[c],
                                            camera,
                                            graphics::shaders_ok != 0,
                                            0,
                                            b,
                                            WaterColors(display.water_color, b),
                                            t.sun.y / 90,
                                            t.box_min};
            render::DrawTerrainMesh(pass);
            render::DrawWaterSurface(pass);
        }
        glDisable(GL_LIGHT0);
        glFlush();
    });
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(70)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(BM_Frame)->Name("Frame")->Apply(Sizes);
BENCHMARK(BM_FrameAll)->Name("FrameAll")->Apply(Sizes);
BENCHMARK(BM_MeshOnly)->Name("MeshOnly")->Apply(Sizes);

BENCHMARK_MAIN();
