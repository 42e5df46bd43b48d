// The whole OpenGL set-up at the default settings (sky box 1024, water 128 x 128 x 64, 512
// contour and detail maps) on the test context; run under Xvfb. Besides the total it reports
// the seconds each texture generator logged, and their sum.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/opengl_setup.h"
#include "support/console_capture.h"
#include "support/gl_test_context.h"

namespace {

// Sums the times of the "\n Generated in <s> sec\n" lines, and reports each one.
double GenerationSeconds(const std::string& log, benchmark::State& state) {
    const std::string marker = "\n Generated in ";
    static const char* const names[] = {"contours", "terrain_main", "water", "sky_clouds",
                                        "sky_space"};
    double total = 0;
    size_t at = 0;
    for (int i = 0; (at = log.find(marker, at)) != std::string::npos; ++i) {
        at += marker.size();
        const double seconds = std::stod(log.substr(at));
        total += seconds;
        if (i < 5) state.counters[names[i]] = seconds;
    }
    return total;
}

void BM_SetUpOpenGL(benchmark::State& state) {
    QorTest::RequireGLContext();
    for (auto _ : state) {
        std::string log;
        {
            QorTest::ConsoleCapture capture;
            graphics::SetUpOpenGL();
            log = capture.str();
        }
        state.PauseTiming();
        state.counters["generation_total"] = GenerationSeconds(log, state);
        graphics::ReleaseOpenGL();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetUpOpenGL)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
