#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QSurfaceFormat>
#include <QTimer>

#include <cstdlib>

#include "app/autosave.h"
#include "app/command_table.h"
#include "app/dialogs.h"
#include "app/gl_view.h"
#include "app/program.h"
#include "app/toolbox.h"
#include "graphics/opengl_setup.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "render/capture.h"
#include "terrain/scene_autosave.h"

namespace app {
namespace {

// The shortcut of a table key: "Num+" and "Num-" are the keypad's, "Enter" both Enters.
QList<QKeySequence> Shortcuts(const char* key) {
    if (!key) return {};
    QString text = key;
    if (text == "Enter") return {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)};
    if (text.contains('|')) {
        QList<QKeySequence> keys;
        for (const QString& one : text.split('|'))
            keys << QKeySequence(one);
        return keys;
    }
    int modifiers = 0;
    if (text.endsWith("Num+") || text.endsWith("Num-")) {
        const int k = text.endsWith('+') ? Qt::Key_Plus : Qt::Key_Minus;
        if (text.startsWith("Ctrl+")) modifiers |= Qt::ControlModifier;
        return {QKeySequence(modifiers | Qt::KeypadModifier | k)};
    }
    return {QKeySequence(text)};
}

}  // namespace

void PrepareViewFormat() {
    setenv("QT_XCB_GL_INTEGRATION", "xcb_glx", 0);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
}

main_window::main_window(program& run) : run(run) {
    setWindowTitle("QOR - Brenmoor");
    ask_unsaved = [this] { return AskUnsavedChanges(this); };
    ask_restore = [this] { return AskRestoreAutosave(this); };
    saver = std::make_unique<app::autosave>(run, AutosaveFileName());
    run.edits.autosave_obsolete = [this] { saver->Remove(); };
    setMinimumSize(500, 400);
    resize(1024, 768);
    run.commands = std::make_unique<command_dispatch>(
        run.state, *this,
        [this](const std::function<void()>& action) { this->run.Paused(action); });

    view = new gl_view(run.scene, run.input);
    QWidget* container = QWidget::createWindowContainer(view, this);
    container->setFocusPolicy(Qt::StrongFocus);
    container->setMinimumSize(100, 100);
    setCentralWidget(container);

    tools = new toolbox(run, *this);
    addDockWidget(Qt::LeftDockWidgetArea, tools);
    BuildMenus();
    RefreshMarks();
    ShowModePage(run.scene.settings->mode);
    ShowToolbox(run.state.toolbox_visible != 0);
}

main_window::~main_window() {
    run.edits.autosave_obsolete = nullptr;
}

void main_window::BuildMenus() {
    std::map<QString, QMenu*> menus;
    std::map<QString, QActionGroup*> groups;
    for (const command& c : Commands()) {
        auto* action = new QAction(c.label ? QString(c.label) : QString::number(c.id), this);
        action->setObjectName(QString::number(c.id));
        action->setShortcuts(Shortcuts(c.key));
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setCheckable(c.mark != mark_kind::none);
        if (c.menu) {
            QMenu*& menu = menus[c.menu];
            if (!menu) menu = menuBar()->addMenu(c.menu);
            if (c.separator_before) menu->addSeparator();
            menu->addAction(action);
            if (c.mark == mark_kind::radio) {
                // A group per run of radio items; marks come from the settings, not from Qt.
                QActionGroup*& group =
                    groups[QString(c.menu) + QString::number(c.separator_before)];
                if (!group) group = new QActionGroup(this);
                group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
                group->addAction(action);
            }
        } else {
            addAction(action);  // a shortcut without a menu item
        }
        const int id = c.id;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        actions[id] = action;
    }
}

void main_window::ConnectView() {
    view->on_start = [this] {
        run.Start();
        QTimer::singleShot(0, this, [this] { OfferRestore(); });
    };
    view->on_frame = [this] {
        run.Frame(view->isActive(), view->KeyHeld(Qt::Key_Up), view->KeyHeld(Qt::Key_Down),
                  view->KeyHeld(Qt::Key_Left), view->KeyHeld(Qt::Key_Right),
                  view->KeyHeld(Qt::Key_Shift));
        SetStatus(QString::fromStdString(run.StatusText()));
        RefreshEdits();  // a brush stroke ends outside the commands
    };
    view->on_pick = [this](int x, int y) {
        const qreal ratio = view->devicePixelRatio();
        run.Paused(
            [&] { run.scene.Pick(int(view->width() * ratio), int(view->height() * ratio), x, y); });
        RefreshMarks();
    };
}

QAction* main_window::Action(int command_id) const {
    const auto it = actions.find(command_id);
    return it == actions.end() ? nullptr : it->second;
}

void main_window::Run(int command_id) {
    try {
        run.commands->Dispatch(command_id);
    } catch (const KR::Error& error) {
        ShowError(error);
        // A failed open, save, import or capture leaves the program as it was; any other
        // error ends it, as it always has.
        const bool goes_on = command_id == kCmdOpen || command_id == kCmdSave ||
                             command_id == kCmdCapture || command_id == kCmdGenerate ||
                             command_id == kCmdTerrainParameters || command_id == kCmdUndo ||
                             command_id == kCmdRedo || command_id == kCmdImportHeightMap ||
                             command_id == kCmdExportHeightMap;
        if (!goes_on) QApplication::exit(0);
    } catch (const std::exception& error) {
        // Anything else (out of memory, say) ends the program after its message too.
        ShowError(error);
        QApplication::exit(0);
    }
    RefreshMarks();
}

void main_window::RefreshMarks() {
    for (auto& [id, action] : actions)
        if (action->isCheckable()) action->setChecked(run.commands->IsMarked(id));
    tools->SetPostprocessingBox(run.state.display.postproc_enable != 0);
    RefreshEdits();
}

void main_window::RefreshEdits() {
    const QString title = run.edits.Unsaved() ? "QOR - Brenmoor*" : "QOR - Brenmoor";
    if (windowTitle() != title) setWindowTitle(title);
    for (int id : {kCmdUndo, kCmdRedo, kCmdExportHeightMap, kCmdImportHeightMap}) {
        QAction* action = actions[id];
        action->setEnabled(run.commands->IsEnabled(id));
        const QString label = QString::fromStdString(run.commands->Label(id));
        if (!label.isEmpty() && action->text() != label) action->setText(label);
    }
}

void main_window::OfferRestore() {
    try {
        saver->OfferRestore(ask_restore);
    } catch (const KR::Error& error) {
        ShowError(error);  // the file stays, for the user to look at
    }
    RefreshMarks();
}

void main_window::ShowError(const std::exception& error) {
    KR::console << error.what() << "\n";
    QMessageBox::critical(this, "Error", QString::fromLocal8Bit(error.what()));
}

void main_window::SetStatus(const QString& text) {
    tools->SetStatus(text);
}

void main_window::ShowToolbox(bool visible) {
    tools->setVisible(visible);
}

void main_window::ShowModePage(int mode) {
    tools->ShowPage(mode);
    RefreshMarks();
}

bool main_window::AskTerrainParameters() {
    return app::AskTerrainParameters(this, run.scene.generation);
}

void main_window::ShowAbout() {
    app::ShowAbout(this);
}

void main_window::Exit() {
    close();
}

void main_window::Capture() {
    view->makeCurrent();
    render::CaptureScene();
}

void main_window::ReloadShaders() {
    view->makeCurrent();
    graphics::ReloadShaders();
}

void main_window::PostprocessingSwitched() {
    tools->SetPostprocessingBox(run.state.display.postproc_enable != 0);
    view->makeCurrent();
    graphics::GeneratePostProcessing();
}

void main_window::closeEvent(QCloseEvent* event) {
    bool may_close = false;
    try {
        may_close = run.commands->MayDropScene();
    } catch (const KR::Error& error) {
        ShowError(error);  // the save failed: the window stays
    }
    if (!may_close) {
        RefreshMarks();
        event->ignore();
        return;
    }
    saver->Remove();  // a clean exit leaves no autosave behind
    KR::console << "Releasing resources...\n";
    run.Stop();
    view->makeCurrent();
    graphics::ReleaseOpenGL();
    view->doneCurrent();
    KR::console << "Stopping program...\n";
    event->accept();
}

}  // namespace app
