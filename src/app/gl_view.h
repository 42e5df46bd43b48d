#pragma once
// The OpenGL view: a window of its own inside the main window (no extra frame buffer between
// the frame and the screen), drawing continuously. It sets up the graphics on its context,
// makes the first landscape, runs one frame per paint and turns mouse, wheel and arrow keys
// into view changes.

#include <QOpenGLWindow>

#include <functional>
#include <set>

#include "app/view_input.h"

class terrain;

namespace app {

class gl_view : public QOpenGLWindow {
    Q_OBJECT

  public:
    // Runs once the context exists: set-up, first landscape, worker start.
    using start_hook = std::function<void()>;
    // One frame: hand-over and drawing (the context is current).
    using frame_hook = std::function<void()>;
    // A click without a move at (x, y) in the view.
    using pick_hook = std::function<void(int x, int y)>;

    gl_view(terrain& scene, view_input& input);

    start_hook on_start;
    frame_hook on_frame;
    pick_hook on_pick;
    // Errors that end the program leave through here (message box, then quit).
    std::function<void(const std::exception&)> on_fatal;

    // Whether the arrow keys and Shift are held, for the movement run once per frame.
    bool KeyHeld(int key) const { return held_keys.count(key) > 0; }

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    mouse_buttons Held(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const;
    void Guard(const std::function<void()>& action);

    terrain& scene;
    view_input& input;
    std::set<int> held_keys;
    bool started = false;
};

}  // namespace app
