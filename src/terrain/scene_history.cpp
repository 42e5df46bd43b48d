#include "terrain/scene_history.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "terrain/scene_snapshot.h"
#include "terrain/terrain.h"

namespace {

// The plane an edit of the kind changes, or -1 when it replaces the whole scene.
int EditedPlane(edit_kind kind) {
    switch (kind) {
        case edit_kind::brush_stroke:
        case edit_kind::smoothing:
            return 0;
        case edit_kind::tsunami:
            return 1;
        default:
            return -1;
    }
}

// A rectangle of interior positions of a cluster's plane; x and y count from 0.
struct plane_patch {
    unsigned cluster = 0;
    int x = 0, y = 0, columns = 0, rows = 0;
    std::vector<float> values;
};

int Columns(const cluster& c) {
    return c.read_field->Width() - 2;
}
int Rows(const cluster& c) {
    return c.read_field->Height() - 2;
}

// Bit for bit: a value that became -0 or another NaN has changed too.
bool SameBits(const float* a, const float* b, int count) {
    return std::memcmp(a, b, size_t(count) * sizeof(float)) == 0;
}

// The rectangle where the plane differs from what it was (row by row, without its ring),
// with the old values; no values when nothing differs.
plane_patch ChangedPatch(unsigned k, const cluster& c, const float* plane,
                         const std::vector<float>& was) {
    const int columns = Columns(c), rows = Rows(c);
    int x0 = columns, x1 = -1, y0 = rows, y1 = -1;
    for (int y = 0; y < rows; ++y) {
        const float* a = was.data() + size_t(y) * columns;
        const float* b = plane + c.read_field->Index(1, y + 1);
        if (SameBits(a, b, columns)) continue;
        int first = 0, last = columns - 1;
        while (SameBits(a + first, b + first, 1))
            ++first;
        while (SameBits(a + last, b + last, 1))
            --last;
        x0 = std::min(x0, first);
        x1 = std::max(x1, last);
        y0 = std::min(y0, y);
        y1 = y;
    }
    plane_patch patch{k, x0, y0, x1 - x0 + 1, y1 - y0 + 1, {}};
    if (y1 < 0) return patch;
    patch.values.resize(size_t(patch.columns) * size_t(patch.rows));
    for (int y = 0; y < patch.rows; ++y)
        std::memcpy(patch.values.data() + size_t(y) * patch.columns,
                    was.data() + size_t(y0 + y) * columns + x0, size_t(patch.columns) * 4);
    return patch;
}

}  // namespace

struct scene_history::step {
    edit_kind kind;
    int plane = -1;
    std::vector<plane_patch> patches;
    std::unique_ptr<scene_snapshot> whole;
    bool too_large = false;  // nothing could be taken: the history cannot go past this edit

    size_t Bytes() const {
        size_t bytes = sizeof *this + (whole ? whole->Bytes() : 0);
        for (const plane_patch& p : patches)
            bytes += sizeof p + p.values.capacity() * sizeof(float);
        return bytes;
    }
};

const char* EditName(edit_kind kind) {
    static const char* const names[] = {"brush stroke", "smoothing", "generation",
                                        "tsunami",      "import",    "load"};
    return names[int(kind)];
}

scene_history::scene_history(terrain& t, simulation_settings& s, display_settings& d,
                             history_limits limits)
    : t(t), sim(s), display(d), limits(limits) {}

scene_history::~scene_history() = default;

void scene_history::Begin(edit_kind kind) {
    pending.reset();
    before.clear();
    auto s = std::make_unique<step>();
    s->kind = kind;
    s->plane = EditedPlane(kind);
    try {
        if (s->plane < 0 && SceneSnapshotBytes(t) > limits.bytes) {
            s->too_large = true;
        } else if (s->plane < 0) {
            s->whole = std::make_unique<scene_snapshot>(
                TakeSceneSnapshot(t, sim, display, kind == edit_kind::load));
        } else {
            before.resize(t.cluster_count);
            for (unsigned k = 0; k < t.cluster_count; ++k) {
                const cluster& c = t.clusters[k];
                const float* plane = NewestPlane(c, s->plane);
                std::vector<float>& was = before[k];
                was.resize(size_t(Columns(c)) * size_t(Rows(c)));
                for (int y = 0; y < Rows(c); ++y)
                    std::memcpy(was.data() + size_t(y) * Columns(c),
                                plane + c.read_field->Index(1, y + 1), size_t(Columns(c)) * 4);
            }
        }
    } catch (const std::bad_alloc&) {
        s->whole.reset();
        before.clear();
        s->too_large = true;
    }
    pending = std::move(s);
}

bool scene_history::Commit() {
    if (!pending) return false;
    std::unique_ptr<step> s = std::move(pending);
    std::vector<std::vector<float>> was = std::move(before);
    before.clear();
    // A plane edit that changed the grid (none does) could not be undone by its patches.
    bool grid_kept = s->plane < 0 || was.size() == t.cluster_count;
    for (unsigned k = 0; grid_kept && s->plane >= 0 && k < t.cluster_count; ++k)
        grid_kept = was[k].size() == size_t(Columns(t.clusters[k])) * size_t(Rows(t.clusters[k]));
    const edit_kind kind = s->kind;
    try {
        const bool plane_edit = s->plane >= 0 && grid_kept && !s->too_large;
        for (unsigned k = 0; plane_edit && k < t.cluster_count; ++k) {
            const cluster& c = t.clusters[k];
            plane_patch patch = ChangedPatch(k, c, NewestPlane(c, s->plane), was[k]);
            if (!patch.values.empty()) s->patches.push_back(std::move(patch));
        }
    } catch (const std::bad_alloc&) {
        s->too_large = true;
    }
    if (s->too_large || !grid_kept) {
        Clear();
        KR::console << "Undo history: the " << EditName(kind)
                    << " could not be kept, so nothing before it can be undone.\n";
        return false;
    }
    if (s->plane >= 0 && s->patches.empty()) return false;
    redo.clear();
    undo.push_back(std::move(s));
    Trim();
    Log("kept", kind);
    return true;
}

void scene_history::Abandon() {
    pending.reset();
    before.clear();
}

bool scene_history::Swap(step& s) {
    if (s.whole) {
        scene_snapshot present;
        try {
            present = TakeSceneSnapshot(t, sim, display, s.whole->with_settings);
        } catch (const std::bad_alloc&) {
            throw KR::ErrorMem("scene_history::Undo", ": Can't keep the present scene!");
        }
        RestoreScene(*s.whole, t, sim, display);
        *s.whole = std::move(present);
        return true;
    }
    // The grid must still be the one the patches were taken of.
    for (const plane_patch& p : s.patches) {
        if (p.cluster >= t.cluster_count) return false;
        const cluster& c = t.clusters[p.cluster];
        if (p.x + p.columns > Columns(c) || p.y + p.rows > Rows(c)) return false;
    }
    std::set<unsigned> touched;
    for (plane_patch& p : s.patches) {
        cluster& c = t.clusters[p.cluster];
        const float* newest = NewestPlane(c, s.plane);
        float* read = FieldPlane(*c.read_field, s.plane);
        float* write = FieldPlane(*c.write_field, s.plane);
        for (int y = 0; y < p.rows; ++y)
            for (int x = 0; x < p.columns; ++x) {
                const size_t at = c.read_field->Index(p.x + x + 1, p.y + y + 1);
                float& kept = p.values[size_t(y) * p.columns + x];
                const float present = newest[at];
                read[at] = write[at] = kept;
                kept = present;
            }
        touched.insert(p.cluster);
    }
    for (unsigned k : touched)
        t.clusters[k].read_field->PrepareRing();  // the ring mirrors the ground
    RefreshDrawBuffers(t);
    return true;
}

bool scene_history::Undo() {
    if (undo.empty()) return false;
    const edit_kind kind = undo.back()->kind;
    if (!Swap(*undo.back())) {
        Clear();
        KR::console << "Undo history: the grid is no longer the one the steps were kept of; "
                       "they are dropped.\n";
        return false;
    }
    redo.push_back(std::move(undo.back()));
    undo.pop_back();
    Trim();
    Log("undone", kind);
    return true;
}

bool scene_history::Redo() {
    if (redo.empty()) return false;
    const edit_kind kind = redo.back()->kind;
    if (!Swap(*redo.back())) {
        Clear();
        KR::console << "Undo history: the grid is no longer the one the steps were kept of; "
                       "they are dropped.\n";
        return false;
    }
    undo.push_back(std::move(redo.back()));
    redo.pop_back();
    Trim();
    Log("redone", kind);
    return true;
}

std::optional<edit_kind> scene_history::NextUndo() const {
    if (undo.empty()) return std::nullopt;
    return undo.back()->kind;
}

std::optional<edit_kind> scene_history::NextRedo() const {
    if (redo.empty()) return std::nullopt;
    return redo.back()->kind;
}

size_t scene_history::Bytes() const {
    size_t bytes = 0;
    for (const auto* list : {&undo, &redo})
        for (const auto& s : *list)
            bytes += s->Bytes();
    return bytes;
}

void scene_history::Clear() {
    undo.clear();
    redo.clear();
    pending.reset();
    before.clear();
}

void scene_history::Trim() {
    int dropped = 0;
    // The oldest undo steps first; then, when one step left would still be too large, the
    // redo steps farthest away.
    while (!undo.empty() && (undo.size() + redo.size() > limits.steps || Bytes() > limits.bytes))
        undo.pop_front(), ++dropped;
    while (!redo.empty() && Bytes() > limits.bytes)
        redo.pop_front(), ++dropped;
    if (dropped == 0) return;
    char line[160];
    std::snprintf(line, sizeof line,
                  "Undo history: %d oldest step%s dropped to stay within %zu steps and %.0f MB.\n",
                  dropped, dropped == 1 ? "" : "s", limits.steps,
                  double(limits.bytes) / (1024.0 * 1024.0));
    KR::console << line;
}

void scene_history::Log(const char* what, edit_kind kind) const {
    char line[160];
    std::snprintf(line, sizeof line,
                  "Undo history: %s %s; %zu to undo, %zu to redo, %.1f MB held.\n", what,
                  EditName(kind), undo.size(), redo.size(), double(Bytes()) / (1024.0 * 1024.0));
    KR::console << line;
}
