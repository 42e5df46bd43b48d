#pragma once
// What the user has done to the scene: the undo history of the edits, the brush stroke under
// way, and the count of changes that the unsaved mark and the autosave follow. Every call
// runs with no step in flight.

#include <cstdint>
#include <functional>

#include "terrain/scene_history.h"

namespace app {

class scene_edits {
  public:
    scene_edits(terrain& t, simulation_settings& s, display_settings& d, history_limits limits = {})
        : history(t, s, d, limits), scene(t) {}

    // Runs an edit the history keeps; edit answers whether it changed the scene (a cancelled
    // file question does not). An edit that fails keeps its step when it already replaced
    // the grid, so that undo brings the old scene back.
    bool Record(edit_kind kind, const std::function<bool()>& edit);
    // A move of the brush: the first after a press begins the stroke, which is one step.
    void Stroke(const std::function<void()>& edit);
    // The button went up: the stroke is kept.
    void EndStroke();
    bool Undo();
    bool Redo();

    // A change the history does not keep (objects, the water reset).
    void Changed() { ++changes; }
    // The scene as it is now is in a file (saved or loaded).
    void Saved();
    // The user chose not to save the changes.
    void Discarded();
    bool Unsaved() const { return changes != saved_at; }
    // Counts every change; the autosave compares it with the count it last wrote.
    uint64_t Changes() const { return changes; }

    // Called when the autosave copy is no longer wanted: the scene was saved or loaded, or its
    // changes discarded.
    std::function<void()> autosave_obsolete;

    scene_history history;

  private:
    terrain& scene;
    uint64_t changes = 0, saved_at = 0;
    bool stroke = false;
};

}  // namespace app
