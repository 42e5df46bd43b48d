#include "app/program.h"

#include <cstdio>

#include "graphics/opengl_setup.h"
#include "graphics/postprocessing_program.h"
#include "kr/base/console.h"
#include "kr/base/random.h"
#include "kr/base/utils.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"

namespace app {

program::program(bool multithreading)
    : edits(scene, sim_settings, display),
      state{scene, sim_settings, display, edits},
      input(scene, sim_settings, display, graphics::postproc),
      driver(scene, multithreading) {
    // A brush move changes the write field, which a running step writes too.
    input.brush_edit = [this](const std::function<void()>& change) {
        Paused([&] { edits.Stroke(change); });
    };
    input.stroke_end = [this] { Paused([&] { edits.EndStroke(); }); };
}

program::~program() = default;

void program::Start() {
    KR::RandomSeed(int(KR::GetTickCount() % 32767));
    graphics::SetUpOpenGL();
    scene.GenerateTerrain();
    driver.Start();
    last_measure = KR::GetTime();
}

void program::Frame(bool keys_focus, bool up, bool down, bool left, bool right, bool shift) {
    if (keys_focus && scene.ready) Paused([&] { input.Keys(up, down, left, right, shift); });
    // While a command waits in a dialog the frames go on drawing, but hand nothing over: the
    // command holds the step until it is done.
    if (commands_running == 0) driver.Advance();
    scene.Draw();
    driver.Drawn();
    ++frames;
    const double now = KR::GetTime();
    if (stats_every > 0) WriteFrameStats(now);
    if (now - last_measure > 0.1) {
        fps = float(frames / (now - last_measure));
        last_measure = now;
        frames = 0;
    }
}

void program::Stop() {
    driver.Stop();
}

void program::Paused(const std::function<void()>& action) {
    ++commands_running;
    try {
        driver.Hold([&] {
            action();
            scene.TakeObjectSnapshot();  // what the command did to the objects shows at once
        });
    } catch (...) {
        --commands_running;
        throw;
    }
    --commands_running;
}

void program::EnableFrameStats(double every_seconds, double start) {
    stats_every = every_seconds;
    process_start = start;
    stats_last = KR::GetTime();
    driver.TakeTotals();
}

void program::WriteFrameStats(double now) {
    if (!first_frame_logged) {
        first_frame_logged = true;
        KR::console << "First frame drawn " << now - process_start << " s after the start.\n";
    }
    if (now - stats_last < stats_every) return;
    stats_last = now;
    const frame_split split = driver.TakeTotals();
    if (split.frames == 0) return;
    const double n = split.frames, total = split.step + split.hand_over + split.draw;
    char line[200];
    std::snprintf(line, sizeof line,
                  "Frames: %d, %.1f ms each: waiting for the step %.1f ms, hand-over %.1f ms, "
                  "drawing %.1f ms\n",
                  split.frames, 1000 * total / n, 1000 * split.step / n, 1000 * split.hand_over / n,
                  1000 * split.draw / n);
    KR::console << line;
}

std::string program::StatusText() const {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d pts: %.2f fps", scene.generation.x, scene.generation.y,
                  double(fps));
    return text;
}

}  // namespace app
