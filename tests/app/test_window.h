#pragma once
// The program's window for the GUI tests: wired to the program as the program wires it, but
// small, with small textures and the simulation on the drawing thread, and with errors that
// would end the program recorded instead of shown.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "app/gl_view.h"
#include "app/main_window.h"
#include "app/program.h"
#include "terrain/app_settings.h"

namespace QorTest {

class test_window {
  public:
    // multithreading: the simulation steps on a worker beside the drawing, as on a machine
    // with more than one processor. grid: the side of generated landscapes (0: the default).
    explicit test_window(bool multithreading = false, int grid = 0)
        : run(multithreading), window(run) {
        textures.skybox_size = 32;
        textures.water_size = 16;
        textures.water_frames = 4;
        if (grid) run.scene.generation.x = run.scene.generation.y = grid;
        window.ConnectView();
        app::gl_view& view = window.View();
        view.on_frame = [this, frame = view.on_frame] {
            frame();
            ++frames;
        };
        view.on_fatal = [this](const std::exception& error) { fatal += error.what(); };
        // No one is there to answer: changes go, an autosave stays where it is.
        window.ask_unsaved = [] { return app::unsaved_answer::discard; };
        window.ask_restore = [] { return false; };
        window.resize(640, 480);
        window.show();
    }
    ~test_window() { window.close(); }

    // Waits for the graphics set-up, the first landscape and a frame.
    bool Started() {
        return QTest::qWaitFor([this] { return run.scene.ready && frames > 0; }, 120000);
    }
    bool WaitFrames(int count) {
        const int seen = frames;
        return QTest::qWaitFor([&] { return frames >= seen + count; }, 60000);
    }
    // Presses `button` in the middle of the view, moves it through `path` (offsets from the
    // middle) and lets it go at the last point.
    void Drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
              std::initializer_list<QPoint> path) {
        app::gl_view& view = window.View();
        const QPoint centre(view.width() / 2, view.height() / 2);
        QTest::mousePress(&view, button, modifiers, centre);
        for (const QPoint& offset : path) {
            const QPointF at(centre + offset);
            QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, button,
                             modifiers);
            QCoreApplication::sendEvent(&view, &move);
        }
        QTest::mouseRelease(&view, button, modifiers, centre + *(path.end() - 1));
    }
    template <class T>
    T* Control(int id) {
        T* control = window.findChild<T*>(QString::number(id));
        if (!control) qFatal("no control %d", id);
        return control;
    }

    app::program run;
    app::main_window window;
    int frames = 0;
    std::string fatal;  // what would have ended the program
};

}  // namespace QorTest

// main() of a window test; without a display it reports a skip. The view's format as the
// program asks for it, before the application exists; the state folder (the autosave's) is
// the test's own, in its working folder.
#define QOR_WINDOW_TEST_MAIN(Test)                                                        \
    int main(int argc, char** argv) {                                                     \
        if (!std::getenv("DISPLAY")) {                                                    \
            std::puts("SKIP: the window tests need a display");                           \
            return 77;                                                                    \
        }                                                                                 \
        app::PrepareViewFormat();                                                         \
        setenv("XDG_STATE_HOME", (std::filesystem::current_path() / "state").c_str(), 1); \
        QApplication application(argc, argv);                                             \
        Test test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                           \
    }
