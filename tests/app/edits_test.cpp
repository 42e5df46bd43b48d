// Undo and redo through the commands, the unsaved mark, the Save / Discard / Cancel question
// and the autosave with its restore offer, in the program's window on a small grid.

#include <QAction>
#include <QMouseEvent>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/autosave.h"
#include "app/command_table.h"
#include "app/test_window.h"
#include "kr/test_files.h"
#include "terrain/file_name_provider.h"
#include "terrain/scene_file.h"
#include "terrain/scene_snapshot.h"
#include "terrain/terrain.h"

namespace QorTest {

class edits_test : public QObject {
    Q_OBJECT

    std::unique_ptr<test_window> w;
    fixed_file_name names{qor_test::ScratchFile("edits.qor")};

    void Open(int size) {
        w.reset();  // one window at a time
        w = std::make_unique<test_window>();
        w->run.scene.generation.x = w->run.scene.generation.y = size;
        w->run.scene.file_names = &names;
    }
    void Run(int id) { w->window.Run(id); }
    QString Title() const { return w->window.windowTitle(); }
    QString Text(int id) const { return w->window.Action(id)->text(); }
    void WaitFrames(int count) {
        const int seen = w->frames;
        QVERIFY(QTest::qWaitFor([&] { return w->frames >= seen + count; }, 60000));
    }
    // The newest planes as bits: every one, or the ground only.
    std::vector<uint32_t> State(bool whole) const {
        const scene_snapshot snap =
            TakeSceneSnapshot(w->run.scene, w->run.state.sim, w->run.state.display, false);
        std::vector<uint32_t> bits;
        for (const cluster_copy& c : snap.clusters) {
            const size_t n = whole ? c.values.size() : size_t(c.columns) * c.rows, at = bits.size();
            bits.resize(at + n);
            std::memcpy(bits.data() + at, c.values.data(), n * sizeof(float));
        }
        return bits;
    }
    // Shift + left drag up the middle of the view: one brush stroke.
    void Stroke() {
        app::gl_view& view = w->window.View();
        const QPoint centre(view.width() / 2, view.height() / 2);
        QTest::mousePress(&view, Qt::LeftButton, Qt::ShiftModifier, centre);
        for (int dy : {0, 10, 20}) {
            const QPointF at(centre - QPoint(0, dy));
            QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::ShiftModifier);
            QCoreApplication::sendEvent(&view, &move);
        }
        QTest::mouseRelease(&view, Qt::LeftButton, Qt::ShiftModifier, centre - QPoint(0, 20));
        WaitFrames(1);  // the items follow the stroke with the next frame
    }

  private slots:
    void initTestCase() {
        Open(40);
        QVERIFY2(w->Started(), w->fatal.c_str());
    }
    void cleanup() { QVERIFY2(w->fatal.empty(), w->fatal.c_str()); }

    // Each edit undone and redone gives back its fields bit for bit: the ground for the
    // brush and smoothing, every plane for a generation. Between them no step runs.
    void undoAndRedoGiveBackTheFields() {
        QCOMPARE(Text(app::kCmdUndo), QString("Undo"));
        QVERIFY(!w->window.Action(app::kCmdUndo)->isEnabled());
        const QList<QKeySequence> redo_keys{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")};
        QCOMPARE(w->window.Action(app::kCmdRedo)->shortcuts(), redo_keys);
        Run(app::kCmdModeTerrain);
        const struct {
            const char* name;
            std::function<void()> edit;
            bool whole;
        } cases[] = {
            {"brush stroke", [this] { Stroke(); }, false},
            {"smoothing", [this] { Run(app::kCmdSmoothTerrain); }, false},
            {"generation", [this] { Run(app::kCmdGenerate); }, true},
            {"import",
             [this] {
                 // The ground written as a height map comes back quantised, and flooded.
                 const std::string scene = names.name;
                 names.name = qor_test::ScratchFile("edits.png");
                 Run(app::kCmdExportHeightMap);
                 QVERIFY(std::filesystem::file_size(names.name) > 0);
                 Run(app::kCmdImportHeightMap);
                 names.name = scene;
             },
             true},
        };
        for (const auto& c : cases) {
            const std::vector<uint32_t> before = State(c.whole);
            c.edit();
            const std::vector<uint32_t> after = State(c.whole);
            QVERIFY2(after != before, c.name);
            QCOMPARE(Text(app::kCmdUndo), QString("Undo ") + c.name);
            Run(app::kCmdUndo);
            QVERIFY2(State(c.whole) == before, c.name);
            QCOMPARE(Text(app::kCmdRedo), QString("Redo ") + c.name);
            Run(app::kCmdRedo);
            QVERIFY2(State(c.whole) == after, c.name);
            QVERIFY(!w->window.Action(app::kCmdRedo)->isEnabled());
        }
        Run(app::kCmdModeWalking);
    }

    // Edits set the mark, steps do not, a save clears it.
    void theMarkFollowsEditsNotSteps() {
        Run(app::kCmdSave);
        QCOMPARE(Title(), QString("QOR - Brenmoor"));
        WaitFrames(3);
        QCOMPARE(Title(), QString("QOR - Brenmoor"));
        for (int edit : {app::kCmdTsunami, app::kCmdAddSpring, app::kCmdUndo}) {
            Run(edit);
            QCOMPARE(Title(), QString("QOR - Brenmoor*"));
            Run(app::kCmdSave);
            QCOMPARE(Title(), QString("QOR - Brenmoor"));
        }
    }

    // Before the scene goes: Cancel keeps it and stops, Discard goes on, Save saves (asking
    // for a name once the scene has none) and goes on.
    void saveDiscardOrCancel() {
        const std::string& file = names.name;
        const struct {
            app::unsaved_answer answer;
            bool generated, saved;
        } cases[] = {
            {app::unsaved_answer::cancel, false, false},
            {app::unsaved_answer::discard, true, false},
            {app::unsaved_answer::save, true, true},  // the generation left it unnamed
        };
        int asked = 0;
        for (const auto& c : cases) {
            std::filesystem::remove(file);
            Run(app::kCmdTsunami);
            const std::vector<uint32_t> ground = State(false);
            w->window.ask_unsaved = [&] { return ++asked, c.answer; };
            Run(app::kCmdGenerate);
            QCOMPARE(State(false) != ground, c.generated);
            QCOMPARE(std::filesystem::exists(file), c.saved);
            QCOMPARE(Title(), QString("QOR - Brenmoor*"));
        }
        QCOMPARE(asked, 3);
        w->window.ask_unsaved = [] { return app::unsaved_answer::cancel; };
        QVERIFY(!w->window.close());
        QVERIFY(w->window.isVisible());
        w->window.ask_unsaved = [] { return app::unsaved_answer::discard; };
    }

    // An edited scene is written to the state folder in the background; a clean exit removes
    // it, and one left behind is offered at the next start and loaded.
    void autosaveAndRestore() {
        const std::string state = qor_test::ScratchFile("state");
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        const std::string file = state + "/qor/autosave.qor";
        Open(24);
        QVERIFY(w->Started());
        QCOMPARE(w->window.Autosave().FileName(), file);
        w->window.Autosave().SetInterval(std::chrono::milliseconds(10));
        w->run.scene.generation.x = 30;
        Run(app::kCmdGenerate);
        QVERIFY(QTest::qWaitFor(
            [&] { return std::filesystem::exists(file) && !w->window.Autosave().Writing(); },
            60000));
        QVERIFY(!w->window.Autosave().Save());  // no edit since
        std::filesystem::copy_file(file, file + ".kept");
        w.reset();
        QVERIFY(!std::filesystem::exists(file));

        std::filesystem::rename(file + ".kept", file);
        Open(24);
        w->window.ask_restore = [] { return true; };
        QVERIFY(w->Started());
        QTRY_COMPARE(w->run.scene.extent.x, 30.0f);
        QCOMPARE(Title(), QString("QOR - Brenmoor*"));
        QCOMPARE(Text(app::kCmdUndo), QString("Undo load"));
    }
};

}  // namespace QorTest

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) return 77;  // a window needs a screen
    QorTest::PrepareGL();
    QApplication application(argc, argv);
    QorTest::edits_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "edits_test.moc"
