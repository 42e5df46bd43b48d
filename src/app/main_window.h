#pragma once
// The main window: the menus and shortcuts from the command table, the OpenGL view, the
// toolbox dock and the dialogs, and what commands ask of the window.

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

#include "app/commands.h"
#include "app/view_input.h"
#include "terrain/file_name_provider.h"

class QAction;
class QLabel;

class QSurfaceFormat;

namespace app {

// The format the view asks for: compatibility profile, RGBA8, 24-bit depth, 8-bit stencil,
// double buffered, no wait for the screen. Also makes Qt use GLX, which GLEW needs. Before the
// application exists.
void PrepareViewFormat();

class autosave;
class gl_view;
class toolbox;
class program;

class main_window : public QMainWindow, public shell {
    Q_OBJECT

  public:
    explicit main_window(program& run);
    ~main_window() override;

    // Lets the view run the program: the set-up on its context, a frame per paint (with the
    // held arrow keys and the status text) and picking on a click.
    void ConnectView();

    // Runs a command as the menu would, then sets every mark from the settings.
    void Run(int command_id);
    QAction* Action(int command_id) const;
    gl_view& View() { return *view; }
    toolbox* Toolbox() { return tools; }

    // shell
    void ShowToolbox(bool visible) override;
    void ShowModePage(int mode) override;
    bool AskTerrainParameters() override;
    void ShowAbout() override;
    void Exit() override;
    void Capture() override;
    void ReloadShaders() override;
    void PostprocessingSwitched() override;
    unsaved_answer AskUnsaved() override { return ask_unsaved(); }

    // The questions about the scene's changes: message boxes unless replaced (tests answer
    // them).
    std::function<unsaved_answer()> ask_unsaved;
    std::function<bool()> ask_restore;
    app::autosave& Autosave() { return *saver; }

    // Sets every check and radio mark from the settings, and what follows the edits.
    void RefreshMarks();
    // The title's unsaved mark and the undo and redo items follow the edits.
    void RefreshEdits();
    // The status text under the toolbox's tabs.
    void SetStatus(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    // Shows an error; answers after the user has seen it.
    void ShowError(const std::exception& error);
    // At start: the autosave a run that did not end cleanly left.
    void OfferRestore();

    program& run;
    std::unique_ptr<app::autosave> saver;
    std::map<int, QAction*> actions;
    gl_view* view = nullptr;
    toolbox* tools = nullptr;
};

}  // namespace app
