#include "app/scene_edits.h"

#include "terrain/terrain.h"

namespace app {

bool scene_edits::Record(edit_kind kind, const std::function<bool()>& edit) {
    EndStroke();
    history.Begin(kind);
    const cluster* grid = scene.clusters.get();
    const unsigned count = scene.cluster_count;
    bool changed = false;
    try {
        changed = edit();
    } catch (...) {
        // A failed edit mostly leaves the scene as it was; one that ran out of memory after
        // freeing the old grid keeps its step, so that undo brings the old scene back.
        if (scene.clusters.get() != grid || scene.cluster_count != count) {
            if (history.Commit()) Changed();
        } else {
            history.Abandon();
        }
        throw;
    }
    if (!changed) {
        history.Abandon();
        return false;
    }
    history.Commit();
    Changed();
    return true;
}

void scene_edits::Stroke(const std::function<void()>& edit) {
    if (!stroke) history.Begin(edit_kind::brush_stroke);
    stroke = true;
    edit();
    Changed();
}

void scene_edits::EndStroke() {
    if (!stroke) return;
    stroke = false;
    history.Commit();
}

bool scene_edits::Undo() {
    EndStroke();
    if (!history.Undo()) return false;
    Changed();
    return true;
}

bool scene_edits::Redo() {
    EndStroke();
    if (!history.Redo()) return false;
    Changed();
    return true;
}

void scene_edits::Saved() {
    saved_at = changes;
    if (autosave_obsolete) autosave_obsolete();
}

void scene_edits::Discarded() {
    if (autosave_obsolete) autosave_obsolete();
}

}  // namespace app
