// The window with the simulation on a worker beside the drawing, while commands that rebuild
// or change the scene come in between frames: every one waits for the step in flight, and
// nothing the drawing reads is changed under it (the ThreadSanitizer build runs this).

#include <QTest>

#include "app/command_table.h"
#include "app/test_window.h"
#include "support/test_files.h"
#include "terrain/file_name_provider.h"

namespace QorTest {

class threads_test : public QObject {
    Q_OBJECT

  private slots:
    void CommandsWhileTheWorkerSteps() {
        test_window w(true);
        QVERIFY(w.Started());
        QVERIFY(w.run.Multithreading());
        // The scene commands answer their file questions from here.
        fixed_file_name names(QorTest::ScratchFile("threads.qor"));
        w.run.scene.file_names = &names;
        for (int round = 0; round < 2; ++round) {
            for (int id :
                 {app::kCmdSave, app::kCmdGenerate, app::kCmdOpen, app::kCmdResetWater,
                  app::kCmdSmoothTerrain, app::kCmdTsunami, app::kCmdAddSpring, app::kCmdAddStatic,
                  app::kCmdFasterTime, app::kCmdAquarium, app::kCmdResetMovement,
                  app::kCmdAutorotate, app::kCmdFloatInWater, app::kCmdCenterTerrain,
                  app::kCmdDeleteSelected, app::kCmdUndo, app::kCmdUndo, app::kCmdRedo}) {
                w.window.Run(id);
                QVERIFY(w.WaitFrames(1));
            }
            // A brush stroke (Shift + left drag) in terrain editing, then smoothing under it.
            w.window.Run(app::kCmdModeTerrain);
            w.Drag(Qt::LeftButton, Qt::ShiftModifier, {{0, 0}, {0, -8}, {0, -16}});
            w.window.Run(app::kCmdSmoothBrush);
            w.window.Run(app::kCmdModeWalking);
        }
        QVERIFY(QTest::qWaitFor([&] { return w.frames > 20; }, 60000));
        QVERIFY2(w.fatal.empty(), w.fatal.c_str());
        QVERIFY(w.run.scene.ready);
        QCOMPARE(w.run.scene.ObjectCount(), 2);  // generation clears them, then two are added
    }
};

}  // namespace QorTest

QOR_WINDOW_TEST_MAIN(QorTest::threads_test)

#include "threads_test.moc"
