#pragma once
// The one dispatch of the program's commands, keyed by the command id: the menu, the
// shortcuts, the toolbox and the tests all come here. It changes the settings and the scene;
// what only the window can do (dialogs, the toolbox, the view) it asks of the shell.

#include <functional>
#include <string>

class terrain;
struct display_settings;
struct simulation_settings;

namespace app {

class scene_edits;

// The answers to "Save the changes?" before the scene is replaced or the program ends.
enum class unsaved_answer { save, discard, cancel };

// What the window does for the commands.
class shell {
  public:
    virtual ~shell() = default;
    // Shows or hides the toolbox; the 3D view takes or gives back its width.
    virtual void ShowToolbox(bool visible) = 0;
    // Shows the toolbox page of the mode.
    virtual void ShowModePage(int mode) = 0;
    // The terrain-parameters dialog: true when it ended with OK (the parameters are then set).
    virtual bool AskTerrainParameters() = 0;
    virtual void ShowAbout() = 0;
    virtual void Exit() = 0;
    // Saves the view to "capture-....bmp"; the context is the shell's to make current.
    virtual void Capture() = 0;
    virtual void ReloadShaders() = 0;
    // The post-processing switch changed: the toolbox's box follows, the program is rebuilt.
    virtual void PostprocessingSwitched() = 0;
    // The scene has changes that are not saved and is about to go: save, discard or cancel?
    virtual unsaved_answer AskUnsaved() = 0;
};

// Runs an action while no simulation step is in flight (at once in single-thread mode).
using step_pause = std::function<void(const std::function<void()>& action)>;

struct program_state {
    terrain& scene;
    simulation_settings& sim;
    display_settings& display;
    scene_edits& edits;
    int toolbox_visible = 1;
};

class command_dispatch {
  public:
    command_dispatch(program_state& state, shell& window, step_pause pause);

    // Runs the command; ids without an effect (the rain-map items, unknown ids) do nothing.
    void Dispatch(int id);
    // Whether the command's menu item is marked under the current settings.
    bool IsMarked(int id) const;
    // Whether the command can run now: undo and redo need a step, the height-map export a
    // grid.
    bool IsEnabled(int id) const;
    // The menu text of the commands whose text changes: "Undo brush stroke", "Redo", ...;
    // empty for the others.
    std::string Label(int id) const;
    // Mode selection from the menu, Tab or the toolbox's tabs.
    void SelectMode(int mode);
    // Whether the scene may go (replaced, or the program ended): at once when every change
    // is saved, else as the user answers. Save goes on only when the save worked (asking for
    // a name when the scene has none) and raises its error; Cancel stops.
    bool MayDropScene();

  private:
    void Run(int id);
    bool SaveToSceneFile();
    void ExportHeightMap();
    void ImportHeightMap();

    program_state& state;
    shell& window;
    step_pause pause;
};

}  // namespace app
