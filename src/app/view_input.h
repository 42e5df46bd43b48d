#pragma once
// What the mouse and the held arrow keys do to the view, the sun, the brush and the
// post-processing points, as plain arithmetic on the scene: the window only translates its
// events into these calls.

#include <functional>

#include "kr/math/vector.h"

class terrain;
struct display_settings;
struct simulation_settings;

namespace graphics {
struct postproc_settings;
}

namespace app {

struct mouse_buttons {
    bool left = false, right = false, middle = false;
    bool shift = false, ctrl = false;
    bool Any() const { return left || right || middle; }
};

// The view's rectangle inside the window's client area, in pixels.
struct view_area {
    int client_width = 0, client_height = 0;
    int view_width = 0, view_height = 0;
};

class view_input {
  public:
    view_input(terrain& scene, simulation_settings& sim, display_settings& display,
               graphics::postproc_settings& postproc)
        : scene(scene), sim(sim), display(display), postproc(postproc) {}

    // A button went down: a following release without a move is a click.
    void Press() { moved = false; }
    // Answers whether the release was a click (no move since the press).
    bool ReleaseIsClick() const { return !moved; }
    // A button went up: a brush stroke under way ends.
    void Release();

    // The brush's changes to the ground run through this: the program runs them with no step
    // in flight and keeps each stroke for undo. Unset, they run at once.
    std::function<void(const std::function<void()>& change)> brush_edit;
    // Called when a stroke ends.
    std::function<void()> stroke_end;

    // A move to (x, y) in client pixels with these buttons held. Answers true when the cursor
    // should be warped back to the window's centre (a drag left the middle third), after
    // which the next move does not count as part of the drag.
    bool Move(int x, int y, const mouse_buttons& held, const view_area& area);

    // The wheel: delta in eighths of a degree, 120 a notch.
    void Wheel(int delta, const mouse_buttons& held);

    // Once per frame, with the arrow keys held.
    void Keys(bool up, bool down, bool left, bool right, bool shift);

  private:
    terrain& scene;
    simulation_settings& sim;
    display_settings& display;
    graphics::postproc_settings& postproc;  // its centre and parameter, set in mode 3
    bool moved = false;
    int last_x = 0, last_y = 0;
    bool dragging = false;  // a move with a button held came before this one
    bool stroking = false;  // the brush changed the ground since the press
};

}  // namespace app
