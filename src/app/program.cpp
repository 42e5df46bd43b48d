#include "app/program.h"

#include <cstdio>

#include "graphics/opengl_setup.h"
#include "graphics/postprocessing_program.h"
#include "kr/random.h"
#include "kr/utils.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"

namespace app {

// How the simulation keeps pace with the frames.
struct program::pacing {
    terrain& scene;
    explicit pacing(terrain& scene) : scene(scene) {}
    void Start() {}
    void Frame() {
        scene.Simulate();
        if (!scene.settings->stop_water) scene.UpdateBuffers();
    }
    void Stop() {}
    void Paused(const std::function<void()>& action) { action(); }
};

program::program(bool multithreading)
    : state{scene, sim_settings, display},
      input(scene, sim_settings, display, graphics::postproc),
      multithreading(multithreading),
      pace(std::make_unique<pacing>(scene)) {}

program::~program() = default;

void program::Start() {
    KR::RandomSeed(int(KR::GetTickCount() % 32767));
    graphics::SetUpOpenGL();
    scene.GenerateTerrain();
    pace->Start();
    last_measure = KR::GetTime();
}

void program::Frame(bool keys_focus, bool up, bool down, bool left, bool right, bool shift) {
    if (keys_focus && scene.ready) Paused([&] { input.Keys(up, down, left, right, shift); });
    pace->Frame();
    scene.Draw();
    ++frames;
    const double now = KR::GetTime();
    if (now - last_measure > 0.1) {
        fps = float(frames / (now - last_measure));
        last_measure = now;
        frames = 0;
    }
}

void program::Stop() {
    pace->Stop();
}

void program::Paused(const std::function<void()>& action) {
    pace->Paused(action);
}

std::string program::StatusText() const {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d pts: %.2f fps", scene.generation.x, scene.generation.y,
                  double(fps));
    return text;
}

}  // namespace app
