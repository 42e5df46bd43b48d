#include "app/dialogs.h"

#include <QMessageBox>

#include "terrain/terrain_generation_info.h"

namespace app {

bool AskTerrainParameters(QWidget*, terrain_generation_info&) {
    return false;
}

void ShowAbout(QWidget* parent) {
    QMessageBox::about(parent, "About", "QOR - Brenmoor version 2.0");
}

}  // namespace app
