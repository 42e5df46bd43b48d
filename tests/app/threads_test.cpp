// The window with the simulation on a worker beside the drawing, while commands that rebuild
// or change the scene come in between frames: every one waits for the step in flight, and
// nothing the drawing reads is changed under it (the ThreadSanitizer build runs this).

#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/command_table.h"
#include "app/test_window.h"
#include "kr/test_files.h"
#include "terrain/file_name_provider.h"
#include "terrain/scene_file.h"
#include "terrain/simulation_settings.h"

namespace QorTest {

class threads_test : public QObject {
    Q_OBJECT

  private slots:
    void CommandsWhileTheWorkerSteps() {
        test_window w(true);
        QVERIFY(w.Started());
        QVERIFY(w.run.Multithreading());
        app::program& run = w.run;
        // The scene commands answer their file questions from here.
        const std::string scene = qor_test::ScratchFile("threads.qor");
        fixed_file_name names(scene);
        run.scene.file_names = &names;

        const int commands[] = {
            app::kCmdSave,         app::kCmdGenerate,      app::kCmdOpen,
            app::kCmdResetWater,   app::kCmdSmoothTerrain, app::kCmdTsunami,
            app::kCmdAddSpring,    app::kCmdAddStatic,     app::kCmdFasterTime,
            app::kCmdAquarium,     app::kCmdResetMovement, app::kCmdAutorotate,
            app::kCmdFloatInWater, app::kCmdCenterTerrain, app::kCmdDeleteSelected,
            app::kCmdUndo,         app::kCmdUndo,          app::kCmdRedo};
        for (int round = 0; round < 2; ++round) {
            for (int id : commands) {
                w.window.Run(id);
                const int seen = w.frames;
                QVERIFY(QTest::qWaitFor([&] { return w.frames > seen; }, 60000));
            }
            // Brush strokes in terrain editing: Shift + left drags raise the ground.
            w.window.Run(app::kCmdModeTerrain);
            app::mouse_buttons brush;
            brush.left = brush.shift = true;
            const app::view_area area{400, 400, 400, 400};
            for (int y = 200; y > 180; y -= 4)
                run.Paused([&] { run.input.Move(200, y, brush, area); });
            w.window.Run(app::kCmdSmoothBrush);
            w.window.Run(app::kCmdModeWalking);
        }
        QVERIFY(QTest::qWaitFor([&] { return w.frames > 20; }, 60000));
        QVERIFY2(w.fatal.empty(), w.fatal.c_str());
        QVERIFY(run.scene.ready);
        QCOMPARE(run.scene.ObjectCount(), 2);  // generation clears them, then two are added
    }
};

}  // namespace QorTest

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) return 77;  // a window needs a screen
    QorTest::PrepareGL();
    QApplication application(argc, argv);
    QorTest::threads_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "threads_test.moc"
