#pragma once
// The running program without its window: the scene, the settings, the simulation's pace
// (single-thread, or a worker stepping beside the drawing), the commands, the input and the
// frame rate. The window owns one and drives it.

#include <memory>
#include <string>

#include "app/commands.h"
#include "app/scene_edits.h"
#include "app/view_input.h"
#include "terrain/step_driver.h"
#include "terrain/terrain.h"

namespace app {

class program {
  public:
    explicit program(bool multithreading);
    ~program();

    // With the context current: the graphics set-up, the first landscape and, in multi-thread
    // mode, the worker with its first step.
    void Start();
    // One frame: the arrow keys (when the view has the focus), the step and its hand-over, the
    // drawing and the frame rate.
    void Frame(bool keys_focus, bool up, bool down, bool left, bool right, bool shift);
    // Stops the worker (waiting for a step in flight); the context must be current for the
    // release of the graphics that follows.
    void Stop();

    // With QOR_FRAME_STATS=<seconds> in the environment, the log gets the time to the first
    // frame and, every so many seconds, where the frames' time went (for measuring).
    void EnableFrameStats(double every_seconds, double process_start);

    // "%dx%d pts: %.2f fps" with the terrain parameters' grid size.
    std::string StatusText() const;
    // Runs an action with no step in flight.
    void Paused(const std::function<void()>& action);
    bool Multithreading() const { return driver.Multithreading(); }
    // Where the frames' time went since the last call.
    frame_split TakeFrameSplit() { return driver.TakeTotals(); }

    terrain scene;
    scene_edits edits;  // undo, and what is not saved
    program_state state;
    view_input input;
    std::unique_ptr<command_dispatch> commands;  // made once the window exists

  private:
    step_driver driver;
    int commands_running = 0;  // commands under way (a dialog may draw frames meanwhile)
    void WriteFrameStats(double now);

    double stats_every = 0, stats_last = 0, process_start = 0;
    bool first_frame_logged = false;
    int frames = 0;
    double last_measure = 0;
    float fps = 0.0f;
};

}  // namespace app
