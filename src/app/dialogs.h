#pragma once
// The modal dialogs: the terrain parameters, "About" with the controls, and the questions
// about changes that are not saved.

#include "app/commands.h"

class QWidget;
struct terrain_generation_info;

namespace app {

// Fills the fields from the parameters; OK scans them back (a text that does not scan keeps
// the old value) and checks them. Answers true for OK, false for Cancel (nothing changed).
bool AskTerrainParameters(QWidget* parent, terrain_generation_info& parameters);

void ShowAbout(QWidget* parent);

// Save, Discard or Cancel, before the scene with unsaved changes goes.
unsaved_answer AskUnsavedChanges(QWidget* parent);
// Whether to load the scene a run that did not end cleanly saved automatically.
bool AskRestoreAutosave(QWidget* parent);

}  // namespace app
