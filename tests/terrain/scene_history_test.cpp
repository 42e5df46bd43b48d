// Undo and redo: the exact scene, at least 50 steps, the memory cap, a new edit drops the redo.

#include "terrain/scene_history.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <tuple>
#include <vector>

#include "terrain/grid_fixtures.h"
#include "terrain/scene_snapshot.h"
#include "terrain/terrain.h"

namespace {

struct History : ::testing::Test, QorTest::scene {
    History() : QorTest::scene(24, 20, QorTest::Landscape(24, 20, 3)) {}

    // Every plane of the newest state and the extents, as bits.
    std::vector<uint32_t> State() const {
        std::vector<uint32_t> bits;
        for (const cluster_copy& c : TakeSceneSnapshot(t, s, d, false).clusters) {
            bits.insert(bits.end(), {uint32_t(c.columns), uint32_t(c.rows)});
            for (const float value : c.values)
                bits.push_back(std::bit_cast<uint32_t>(value));
        }
        return bits;
    }
    // The drawn ground shows the newest ground.
    void ExpectDrawnGround() const {
        const cluster& c = t.clusters[0];
        for (int y = 0; y < c.size_y; y += 5)
            for (int x = 0; x < c.size_x; x += 3)
                EXPECT_EQ(c.vertex_data[c.terrain_pos_offset + 3 * (y * c.size_x + x) + 2],
                          c.write_field->GetTerrain(x + 1, y + 1));
    }
    // One edit in the given history (the fixture's by default); false: no step kept.
    bool Edit(edit_kind kind, const std::function<void()>& edit, scene_history* in = nullptr) {
        scene_history& h = in ? *in : history;
        h.Begin(kind);
        edit();
        return h.Commit();
    }
    void Raise(float amount, scene_history* in = nullptr) {
        Edit(
            edit_kind::brush_stroke, [&] { t.RaiseBrush(amount); }, in);
    }

    scene_history history{t, s, d};
};

TEST_F(History, UndoAndRedoGiveBackTheExactScene) {
    const std::vector<float> other = QorTest::Landscape(13, 17, 9);
    const struct {
        edit_kind kind;
        std::function<void()> edit;
    } cases[] = {
        {edit_kind::brush_stroke,
         [&] {
             t.brush_radius = 4;
             t.RaiseBrush(3);
             t.view_pos.x += 2;  // a stroke moves the brush between changes
             t.RaiseBrush(-1.5f);
         }},
        {edit_kind::smoothing, [&] { t.SmoothTerrain(); }},
        {edit_kind::tsunami, [&] { t.Tsunami(); }},
        {edit_kind::load,
         [&] {
             t.BuildFromHeights(other.data(), 13, 17);
             s.stop_rain = 1;
             d.water_color = 3023;
             t.scene_file = "other.qor";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(EditName(c.kind));
        const std::vector<uint32_t> before = State();
        Edit(c.kind, c.edit);
        const std::vector<uint32_t> after = State();
        ASSERT_NE(after, before);
        EXPECT_EQ(history.NextUndo(), c.kind);

        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(State(), before);
        ExpectDrawnGround();
        EXPECT_EQ(history.NextRedo(), c.kind);
        ASSERT_TRUE(history.Redo());
        EXPECT_EQ(State(), after);
        ExpectDrawnGround();
    }
    EXPECT_EQ(std::tie(t.extent.x, d.water_color, t.scene_file),
              std::make_tuple(13.0f, 3023, "other.qor"));
    // All the way back to the first landscape, and forward again.
    while (history.Undo()) {
    }
    EXPECT_EQ(std::tie(t.extent.x, s.stop_rain, t.scene_file), std::make_tuple(24.0f, 0, ""));
    EXPECT_EQ(history.RedoSteps(), 4u);
}

TEST_F(History, KeepsFiftyStepsAndDropsTheOldestOverItsCap) {
    t.brush_radius = 3;
    for (int i = 0; i < 60; ++i)
        Raise(1);
    EXPECT_GE(history.UndoSteps(), 50u);

    // Room for three brush steps: the fourth and fifth push the oldest out.
    const size_t step_bytes = history.Bytes() / history.UndoSteps();
    scene_history small(t, s, d, {100, 3 * step_bytes + step_bytes / 2});
    std::vector<std::vector<uint32_t>> states{State()};
    for (int i = 0; i < 5; ++i)
        Raise(1, &small), states.push_back(State());
    EXPECT_EQ(small.UndoSteps(), 3u);
    EXPECT_LE(small.Bytes(), 3 * step_bytes + step_bytes / 2);
    while (small.Undo()) {
    }
    EXPECT_EQ(State(), states[2]);

    // A whole scene larger than the cap cannot be kept, nor can anything before it.
    scene_history tiny(t, s, d, {100, 8192});
    ASSERT_TRUE(Edit(
        edit_kind::smoothing, [&] { t.SmoothTerrain(); }, &tiny));
    EXPECT_FALSE(Edit(
        edit_kind::generation, [] {}, &tiny));
    EXPECT_EQ(tiny.UndoSteps(), 0u);
}

TEST_F(History, ANewEditDropsTheRedoListAndNothingChangedKeepsNoStep) {
    Raise(2);
    Raise(3);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(history.RedoSteps(), 1u);
    Raise(4);
    EXPECT_EQ(history.RedoSteps(), 0u);
    EXPECT_EQ(history.UndoSteps(), 2u);

    EXPECT_FALSE(Edit(edit_kind::brush_stroke, [] {}));  // nothing changed
    EXPECT_EQ(history.UndoSteps(), 2u);
}

}  // namespace
