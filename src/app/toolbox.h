#pragma once
// The toolbox: a dock on the left with a tab page per editing mode (walking with the sky-box
// generator, terrain, objects, post-processing), a "Hide" button and the status field.
// Controls carry their ids as object names ("1405", ...), so tests find them.

#include <QDockWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTabWidget;

namespace app {

class program;
class main_window;

class toolbox : public QDockWidget {
    Q_OBJECT

  public:
    toolbox(program& run, main_window& window);

    // Shows the page of the mode (the tab follows without selecting the mode again).
    void ShowPage(int mode);
    void SetStatus(const QString& text);
    // The "Enable post processing" box follows the switch.
    void SetPostprocessingBox(bool on);

  private:
    QWidget* WalkingPage();
    QWidget* TerrainPage();
    QWidget* ObjectsPage();
    QWidget* PostProcPage();

    // Runs an action; an error ends the program, as it does from the menu.
    void Guard(const std::function<void()>& action);
    // Runs an action that adds to the scene with no step in flight, guarded.
    void Act(const std::function<void()>& action);
    // Regenerates both sky-box cube maps from the walking page's choices.
    void NewSkyBox();
    // Regenerates the post-processing program from the page's choices.
    void PostprocChanged();
    // The HSL values from the three bars, and their labels.
    void HslChanged();

    program& run;
    main_window& window;
    QTabWidget* tabs = nullptr;
    QLineEdit* status = nullptr;

    QComboBox* skybox_size = nullptr;
    QSlider* clouds = nullptr;
    QSlider* turbulence = nullptr;
    QSlider* stars = nullptr;

    QComboBox* transform = nullptr;
    QComboBox* convolution = nullptr;
    QCheckBox* time_animation = nullptr;
    QCheckBox* coord_correction = nullptr;
    QCheckBox* hsl_shift = nullptr;
    QCheckBox* grayscale = nullptr;
    QCheckBox* invert = nullptr;
    QCheckBox* dithering = nullptr;
    QCheckBox* enable = nullptr;
    QSlider* hue = nullptr;
    QSlider* saturation = nullptr;
    QSlider* lightness = nullptr;
    QLabel* hue_label = nullptr;
    QLabel* saturation_label = nullptr;
    QLabel* lightness_label = nullptr;
};

}  // namespace app
