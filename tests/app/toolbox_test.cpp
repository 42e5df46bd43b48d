// The toolbox driven through its real widgets in the program's window, on a GL context.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <memory>

#include "app/command_table.h"
#include "app/gl_view.h"
#include "app/test_window.h"
#include "app/toolbox.h"
#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "kr/image/texture.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain.h"

namespace QorTest {

class toolbox_test : public QObject {
    Q_OBJECT

    std::unique_ptr<test_window> w;

    template <class T>
    T* Control(int id) {
        T* control = w->window.findChild<T*>(QString::number(id));
        if (!control) qFatal("no control %d", id);
        return control;
    }
    void ShowTab(int index) {
        QTabBar* bar = Control<QTabWidget>(104)->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void Tick(QCheckBox* box) {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect mark = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, mark.center());
    }
    bool Marked(int command_id) { return w->window.Action(command_id)->isChecked(); }
    static QString PostprocText() {
        QFile file("postproc.frag");
        return file.open(QIODevice::ReadOnly) ? QString(file.readAll()) : QString();
    }

  private slots:
    void initTestCase() {
        w = std::make_unique<test_window>();
        QVERIFY2(w->Started(), w->fatal.c_str());
    }

    void cleanupTestCase() { w.reset(); }

    void cleanup() { QVERIFY2(w->fatal.empty(), w->fatal.c_str()); }

    // The real keys reach the commands: plain, Alt, Ctrl, Shift, Ctrl+Alt+Shift and keypad.
    void shortcutsReachTheirCommands() {
        // Through the window system's path, where shortcuts are looked up, to the view with
        // the keyboard focus (there is no window manager to give it).
        QApplication::setActiveWindow(&w->window);
        w->window.View().requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&w->window.View()));
        QWindow* target = &w->window.View();
        const auto press = [target](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(target, key, modifiers);
        };
        const int colour = display.water_color, box = display.show_box;
        press(Qt::Key_1);
        QCOMPARE(display.water_color, app::kCmdBlood);
        QVERIFY(Marked(app::kCmdBlood));
        press(Qt::Key_B);
        QCOMPARE(display.show_box, 1 - box);
        const int water = display.show_water;
        press(Qt::Key_W, Qt::AltModifier);
        QCOMPARE(display.show_water, 1 - water);
        press(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(display.show_debug & 4u, 4u);
        press(Qt::Key_C, Qt::ShiftModifier);
        QCOMPARE(display.camera_controll, 2);
        const int shaders = display.use_shaders;
        press(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(display.use_shaders, 1 - shaders);
        sim_settings.timescale = 0.5f;
        press(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(sim_settings.timescale, 1.0f);
        press(Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(sim_settings.timescale, 0.5f);
        const float rain = sim_settings.rain_multiplier;
        press(Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
        QCOMPARE(sim_settings.rain_multiplier, rain * 2);
        // Put back what the other cases see.
        press(Qt::Key_H);
        QCOMPARE(display.show_debug, 0u);
        w->window.Run(colour);
        if (display.show_box != box) press(Qt::Key_B);
        if (display.show_water != water) press(Qt::Key_W, Qt::AltModifier);
        if (display.use_shaders != shaders) w->window.Run(app::kCmdUseShaders);
        w->window.Run(app::kCmdCameraOverTerrain);
    }

    // Mouse on the view: a right drag turns it, a click without a move picks (the selection is
    // cleared on bare ground) and one with a move does not.
    void mouseTurnsThePickedViewAndClicksPick() {
        app::gl_view& view = w->window.View();
        terrain& t = w->run.scene;
        const QPoint centre(view.width() / 2, view.height() / 2);
        const float heading = t.view.x;
        QTest::mousePress(&view, Qt::RightButton, {}, centre);
        for (const QPoint& at : {centre, centre + QPoint(-10, 0)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), view.mapToGlobal(QPointF(at)),
                             Qt::NoButton, Qt::RightButton, {});
            QCoreApplication::sendEvent(&view, &move);
        }
        QTest::mouseRelease(&view, Qt::RightButton, {}, centre + QPoint(-10, 0));
        QCOMPARE(t.view.x, heading - 5.0f < 0 ? heading - 5 + 360 : heading - 5.0f);  // 10 px left

        Ball* ball = w->run.scene.AddBall();  // at the target, in the middle of the view
        t.selected = ball;
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(2, 2));  // the view's corner
        QCOMPARE(t.selected, nullptr);
        w->run.Paused([&] { t.RemoveObject(ball); });
    }

    // Saturation and lightness run linearly to 1 over the first quarter, squared beyond.
    void hslBarsSetTheUniformAndLabels() {
        ShowTab(3);
        QSlider* saturation = Control<QSlider>(1417);
        QLabel* label = Control<QLabel>(1420);
        const struct {
            int position;
            float factor;
            const char* text;
        } cases[] = {{500, 4.0f, "S:4.00"}, {250, 1.0f, "S:1.00"}, {125, 0.5f, "S:0.50"}};
        for (const auto& c : cases) {
            saturation->setValue(c.position);
            QCOMPARE(graphics::postproc.HSL.y, c.factor);
            QCOMPARE(label->text(), QString(c.text));
        }
        Control<QSlider>(1416)->setValue(200);
        QCOMPARE(graphics::postproc.HSL.x, 200.0f);
        QCOMPARE(Control<QLabel>(1419)->text(), QString("H:200"));
        QCOMPARE(graphics::postproc.HSL.y, 0.5f);
    }

    // The tab shown and the editing mode are one, whichever of them changes.
    void tabAndModeStayOne() {
        QTabWidget* tabs = Control<QTabWidget>(104);
        ShowTab(3);
        QCOMPARE(sim_settings.mode, 3);
        for (int id : {app::kCmdModeWalking, app::kCmdModeTerrain, app::kCmdModeObjects})
            QVERIFY(!Marked(id));
        w->window.Run(app::kCmdNextMode);
        QCOMPARE(sim_settings.mode, 0);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(Marked(app::kCmdModeWalking));
        w->window.Run(app::kCmdModeObjects);
        QCOMPARE(tabs->currentIndex(), 2);
        ShowTab(1);
        QCOMPARE(sim_settings.mode, 1);
        QVERIFY(Marked(app::kCmdModeTerrain));
    }

    void hideAndTheMenuShareTheSwitch() {
        app::toolbox* dock = w->window.Toolbox();
        QTest::mouseClick(Control<QPushButton>(1001), Qt::LeftButton);
        QVERIFY(!dock->isVisible());
        QVERIFY(!Marked(app::kCmdShowToolbox));
        w->window.Run(app::kCmdShowToolbox);
        QVERIFY(dock->isVisible());
        QVERIFY(Marked(app::kCmdShowToolbox));
    }

    // Each drop-down item gives its size to both cube maps; no frame is drawn with half-made
    // textures, and the frames go on after.
    void newSkyBoxBuildsTheChosenSize() {
        ShowTab(0);
        QComboBox* sizes = Control<QComboBox>(1423);
        QCOMPARE(sizes->count(), 7);
        QCOMPARE(sizes->currentText(), QString("128 (very quick)"));
        for (const auto& [item, side] : {std::pair{1, 64}, std::pair{0, 32}}) {
            sizes->setCurrentIndex(item);
            const int drawn = w->frames;
            QTest::mouseClick(Control<QPushButton>(1422), Qt::LeftButton);
            QCOMPARE(w->frames, drawn);
            QCOMPARE(graphics::gl_state.tex_sky_clouds->width, side);
            QCOMPARE(graphics::gl_state.tex_sky_space->width, side);
        }
        const int frames = w->frames;
        QTRY_VERIFY_WITH_TIMEOUT(w->frames > frames + 2, 20000);
    }

    // Every choice rebuilds the program from the page; the switch is the menu's.
    void postprocChoicesRegenerateTheProgram() {
        ShowTab(3);
        QCheckBox* grayscale = Control<QCheckBox>(1407);
        Tick(grayscale);
        QVERIFY(graphics::postproc.options.grayscale);
        QVERIFY(PostprocText().contains("lightness"));
        Tick(grayscale);
        QVERIFY(!PostprocText().contains("lightness"));

        QComboBox* transform = Control<QComboBox>(1403);
        transform->setCurrentIndex(1);
        QVERIFY(PostprocText().contains("param.x*1000.0"));
        transform->setCurrentIndex(0);
        QVERIFY(!PostprocText().contains("param.x*1000.0"));
        QCOMPARE(graphics::shaders_ok, 1);  // every text compiled

        QCheckBox* enable = Control<QCheckBox>(1405);
        Tick(enable);
        QCOMPARE(display.postproc_enable, 1);
        QVERIFY(Marked(app::kCmdPostprocEnable));
        w->window.Run(app::kCmdPostprocEnable);
        QVERIFY(!enable->isChecked());
    }

    void objectButtonsAddToTheScene() {
        ShowTab(2);
        const int before = w->run.scene.ObjectCount();
        for (int id : {1201, 1202, 1402, 1404, 1406})
            QTest::mouseClick(Control<QPushButton>(id), Qt::LeftButton);
        QCOMPARE(w->run.scene.ObjectCount(), before + 5);
    }
};

}  // namespace QorTest

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        std::puts("SKIP: the window tests need a display");
        return 77;
    }
    QorTest::PrepareGL();
    QApplication application(argc, argv);
    QorTest::toolbox_test test;
    return QTest::qExec(&test, argc, argv);
}

#include "toolbox_test.moc"
