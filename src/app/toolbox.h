#pragma once
// The toolbox: a dock on the left with a tab page per editing mode (walking with the sky-box
// generator, terrain, objects, post-processing), a "Hide" button and the status field.
// Controls carry their ids as object names ("1405", ...), so tests find them.

#include <QDockWidget>

namespace app {

class program;
class main_window;

class toolbox : public QDockWidget {
    Q_OBJECT

  public:
    toolbox(program& run, main_window& window);

    // Shows the page of the mode (the tab follows).
    void ShowPage(int mode);
    void SetStatus(const QString& text);
    // The "Enable post processing" box follows the switch.
    void SetPostprocessingBox(bool on);

  private:
    program& run;
    main_window& window;
};

}  // namespace app
