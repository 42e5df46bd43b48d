#pragma once
// Undo and redo of the scene's edits. A step keeps what its edit changed, as it was before:
// for an edit of the ground (or, for a tsunami, of the water) the rectangle of that plane that
// differs, per cluster; for an edit that replaces the grid, the whole scene. Undo swaps what a
// step holds with the scene's present state, so that the same step then redoes it. Every
// call runs with no step in flight.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class terrain;
struct display_settings;
struct simulation_settings;
struct scene_snapshot;

enum class edit_kind : uint8_t { brush_stroke, smoothing, generation, tsunami, import, load };

// What the Edit menu calls it: "brush stroke", "smoothing", ...
const char* EditName(edit_kind kind);

struct history_limits {
    size_t steps = 100;
    size_t bytes = size_t(256) << 20;
};

class scene_history {
  public:
    scene_history(terrain& t, simulation_settings& s, display_settings& d,
                  history_limits limits = {});
    ~scene_history();
    scene_history(const scene_history&) = delete;
    scene_history& operator=(const scene_history&) = delete;

    // Before an edit: takes what an edit of this kind can change. An edit begun and not yet
    // kept is dropped.
    void Begin(edit_kind kind);
    bool Pending() const { return pending != nullptr; }
    // After the edit: keeps it as a step unless it changed nothing, and drops the redo list.
    // Answers whether a step was kept. The oldest steps go while there are more than the
    // limits allow.
    bool Commit();
    // The edit did not happen.
    void Abandon();

    // Answer false when there is nothing to undo or redo. Raise KR::ErrorMem when there is
    // not the memory to keep the present scene (the step stays).
    bool Undo();
    bool Redo();
    std::optional<edit_kind> NextUndo() const;
    std::optional<edit_kind> NextRedo() const;

    size_t UndoSteps() const { return undo.size(); }
    size_t RedoSteps() const { return redo.size(); }
    // What the steps hold.
    size_t Bytes() const;
    void Clear();

  private:
    struct step;
    // Puts the step's state in place and keeps the present one in it instead.
    bool Swap(step& s);
    void Trim();
    void Log(const char* what, edit_kind kind) const;

    terrain& t;
    simulation_settings& sim;
    display_settings& display;
    history_limits limits;
    std::deque<std::unique_ptr<step>> undo, redo;  // the next one at the back
    std::unique_ptr<step> pending;
    std::vector<std::vector<float>> before;  // a pending plane edit's planes, per cluster
};
