// The program's window driven through its real widgets, keys and mouse on a GL context: undo
// and redo with their items, the unsaved mark and question, the toolbox, turning the view and
// picking, the shortcuts, and the autosave with its restore offer.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "app/autosave.h"
#include "app/command_table.h"
#include "app/test_window.h"
#include "app/toolbox.h"
#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "kr/image/texture.h"
#include "support/test_files.h"
#include "terrain/scene_snapshot.h"
#include "terrain/simulation_settings.h"

namespace QorTest {

class toolbox_test : public QObject {
    Q_OBJECT

    std::unique_ptr<test_window> w;
    fixed_file_name names{QorTest::ScratchFile("edits.qor")};

    void Open(int grid) {
        w.reset();  // one window at a time
        w = std::make_unique<test_window>(false, grid);
        w->run.scene.file_names = &names;
    }
    void Run(int id) { w->window.Run(id); }
    QString Title() const { return w->window.windowTitle(); }
    QString Text(int id) const { return w->window.Action(id)->text(); }
    bool Marked(int id) const { return w->window.Action(id)->isChecked(); }
    void ShowTab(int index) {
        QTabBar* bar = w->Control<QTabWidget>(104)->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    // A click on the box's mark, at its left.
    static void Tick(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    // Whether the post-processing program's text, as generated, holds `part`.
    static bool Generated(const char* part) {
        return QorTest::ReadBytes("postproc.frag").find(part) != std::string::npos;
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

  private slots:
    void initTestCase() {
        Open(40);
        QVERIFY2(w->Started(), w->fatal.c_str());
    }
    void cleanupTestCase() { w.reset(); }
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
            {"brush stroke",  // Shift + left drag up the view
             [this] {
                 w->Drag(Qt::LeftButton, Qt::ShiftModifier, {{0, 0}, {0, -10}, {0, -20}});
                 QVERIFY(w->WaitFrames(1));  // the items follow the stroke with the next frame
             },
             false},
            {"smoothing", [this] { Run(app::kCmdSmoothTerrain); }, false},
            {"generation", [this] { Run(app::kCmdGenerate); }, true},
            {"import",
             [this] {
                 // The ground written as a height map comes back quantised, and flooded.
                 const std::string scene = names.name;
                 names.name = QorTest::ScratchFile("edits.png");
                 Run(app::kCmdExportHeightMap);
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

    // A save clears the mark, steps do not set it, edits do. Before the scene goes: Cancel
    // keeps it and stops, Discard goes on, Save saves and goes on.
    void theMarkAndSaveDiscardOrCancel() {
        const struct {
            int edit;
            app::unsaved_answer answer;
            bool generated, saved;
        } cases[] = {
            {app::kCmdTsunami, app::unsaved_answer::cancel, false, false},
            {app::kCmdAddSpring, app::unsaved_answer::discard, true, false},
            {app::kCmdUndo, app::unsaved_answer::save, true, true},
        };
        int asked = 0;
        for (const auto& c : cases) {
            Run(app::kCmdSave);
            QVERIFY(w->WaitFrames(2));
            QCOMPARE(Title(), QString("QOR - Brenmoor"));
            std::filesystem::remove(names.name);
            Run(c.edit);
            QCOMPARE(Title(), QString("QOR - Brenmoor*"));
            const std::vector<uint32_t> ground = State(false);
            w->window.ask_unsaved = [&] { return ++asked, c.answer; };
            Run(app::kCmdGenerate);
            QCOMPARE(State(false) != ground, c.generated);
            QCOMPARE(std::filesystem::exists(names.name), c.saved);
            QCOMPARE(Title(), QString("QOR - Brenmoor*"));
        }
        QCOMPARE(asked, 3);
        w->window.ask_unsaved = [] { return app::unsaved_answer::cancel; };
        QVERIFY(!w->window.close());
        QVERIFY(w->window.isVisible());
        w->window.ask_unsaved = [] { return app::unsaved_answer::discard; };
    }

    // A right drag turns the view (10 px left: 5 degrees); a left click picks, and bare
    // ground (the view's corner) clears the selection.
    void rightDragTurnsAndAClickPicks() {
        terrain& t = w->run.scene;
        const float heading = t.view.x;
        w->Drag(Qt::RightButton, {}, {{0, 0}, {-10, 0}});
        QCOMPARE(t.view.x, heading - 5.0f < 0 ? heading - 5 + 360 : heading - 5.0f);
        t.selected = t.AddBall();  // at the target, in the middle of the view
        QTest::mouseClick(&w->window.View(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(t.selected, nullptr);
    }

    // Saturation runs linearly to 1 over the first quarter, squared beyond; the hue is its
    // own.
    void hslBarsSetTheUniformAndLabels() {
        ShowTab(3);
        QSlider* saturation = w->Control<QSlider>(1417);
        QLabel* label = w->Control<QLabel>(1420);
        for (const auto& [position, factor, text] :
             {std::tuple{500, 4.0f, "S:4.00"}, {250, 1.0f, "S:1.00"}, {125, 0.5f, "S:0.50"}}) {
            saturation->setValue(position);
            QCOMPARE(graphics::postproc.HSL.y, factor);
            QCOMPARE(label->text(), QString(text));
        }
        w->Control<QSlider>(1416)->setValue(200);
        QCOMPARE(graphics::postproc.HSL.x, 200.0f);
        QCOMPARE(w->Control<QLabel>(1419)->text(), QString("H:200"));
        QCOMPARE(graphics::postproc.HSL.y, 0.5f);
    }

    // The tab shown and the editing mode are one, whichever of them changes.
    void tabAndModeStayOne() {
        QTabWidget* tabs = w->Control<QTabWidget>(104);
        ShowTab(3);
        QCOMPARE(sim_settings.mode, 3);
        Run(app::kCmdNextMode);
        QCOMPARE(tabs->currentIndex(), 0);
        Run(app::kCmdModeObjects);
        QCOMPARE(tabs->currentIndex(), 2);
        ShowTab(1);
        QCOMPARE(sim_settings.mode, 1);
        QVERIFY(Marked(app::kCmdModeTerrain));
    }

    void hideAndTheMenuShareTheSwitch() {
        app::toolbox* dock = w->window.Toolbox();
        QTest::mouseClick(w->Control<QPushButton>(1001), Qt::LeftButton);
        QVERIFY(!dock->isVisible());
        QVERIFY(!Marked(app::kCmdShowToolbox));
        Run(app::kCmdShowToolbox);
        QVERIFY(dock->isVisible());
        QVERIFY(Marked(app::kCmdShowToolbox));
    }

    // Each drop-down item gives its size to both cube maps; no frame is drawn with half-made
    // textures, and the frames go on after.
    void newSkyBoxBuildsTheChosenSize() {
        ShowTab(0);
        QComboBox* sizes = w->Control<QComboBox>(1423);
        QCOMPARE(sizes->currentText(), QString("128 (very quick)"));
        for (const auto& [item, side] : {std::pair{1, 64}, std::pair{0, 32}}) {
            sizes->setCurrentIndex(item);
            const int drawn = w->frames;
            QTest::mouseClick(w->Control<QPushButton>(1422), Qt::LeftButton);
            QCOMPARE(w->frames, drawn);
            QCOMPARE(graphics::gl_state.tex_sky_clouds->width, side);
            QCOMPARE(graphics::gl_state.tex_sky_space->width, side);
        }
        QVERIFY(w->WaitFrames(3));
    }

    // Every choice rebuilds the program from the page; the switch is the menu's.
    void postprocChoicesRegenerateTheProgram() {
        ShowTab(3);
        QCheckBox* grayscale = w->Control<QCheckBox>(1407);
        Tick(grayscale);
        QVERIFY(graphics::postproc.options.grayscale);
        QVERIFY(Generated("lightness"));
        Tick(grayscale);
        QVERIFY(!Generated("lightness"));
        QComboBox* transform = w->Control<QComboBox>(1403);
        transform->setCurrentIndex(1);
        QVERIFY(Generated("param.x*1000.0"));
        transform->setCurrentIndex(0);
        QVERIFY(!Generated("param.x*1000.0"));
        QCOMPARE(graphics::shaders_ok, 1);  // every text compiled

        QCheckBox* enable = w->Control<QCheckBox>(1405);
        Tick(enable);
        QCOMPARE(display.postproc_enable, 1);
        QVERIFY(Marked(app::kCmdPostprocEnable));
        Run(app::kCmdPostprocEnable);
        QVERIFY(!enable->isChecked());
    }

    void objectButtonsAddToTheScene() {
        ShowTab(2);
        const int before = w->run.scene.ObjectCount();
        for (int id : {1201, 1202, 1402, 1404, 1406})
            QTest::mouseClick(w->Control<QPushButton>(id), Qt::LeftButton);
        QCOMPARE(w->run.scene.ObjectCount(), before + 5);
    }

    // An edited scene is written to the state folder in the background; a clean exit removes
    // it, and one left behind is offered at the next start and loaded.
    void autosaveAndRestore() {
        const std::string state = QorTest::ScratchFile("state");
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

    // The real keys reach their commands: plain, Alt, Ctrl, Shift, Ctrl+Alt+Shift and keypad.
    // Last, as it leaves the settings changed.
    void shortcutsReachTheirCommands() {
        // Through the window system's path, where shortcuts are looked up, to the view with
        // the keyboard focus (there is no window manager to give it).
        QApplication::setActiveWindow(&w->window);
        w->window.View().requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&w->window.View()));
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int command;
        } keys[] = {
            {Qt::Key_1, {}, app::kCmdBlood},
            {Qt::Key_W, Qt::AltModifier, app::kCmdShowWater},
            {Qt::Key_D, Qt::ControlModifier, app::kCmdShowDepth},
            {Qt::Key_C, Qt::ShiftModifier, app::kCmdCameraTargetVisible},
            {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier,
             app::kCmdUseShaders},
            {Qt::Key_Plus, Qt::KeypadModifier, app::kCmdFasterTime},
            {Qt::Key_Minus, Qt::KeypadModifier, app::kCmdSlowerTime},
            {Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier, app::kCmdIncreaseRain}};
        for (const auto& k : keys) {
            QSignalSpy triggered(w->window.Action(k.command), &QAction::triggered);
            QTest::keyClick(&w->window.View(), k.key, k.modifiers);
            QVERIFY2(triggered.count() == 1, qPrintable(QString::number(k.command)));
        }
        QCOMPARE(display.water_color, app::kCmdBlood);  // and the command ran
        QVERIFY(Marked(app::kCmdBlood));
    }
};

}  // namespace QorTest

QOR_WINDOW_TEST_MAIN(QorTest::toolbox_test)

#include "toolbox_test.moc"
