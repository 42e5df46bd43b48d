// The dispatch and the input arithmetic without a window: what every command does to the
// settings and the marks, and what drags, clicks and the wheel do to the view.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/command_table.h"
#include "app/commands.h"
#include "app/scene_edits.h"
#include "app/view_input.h"
#include "graphics/postprocessing_program.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain.h"

namespace {

using namespace app;

struct fake_shell : shell {
    void ShowToolbox(bool) override {}
    void ShowModePage(int mode) override { page = mode; }
    bool AskTerrainParameters() override { return false; }  // Cancel
    void ShowAbout() override {}
    void Exit() override {}
    void Capture() override {}
    void ReloadShaders() override {}
    void PostprocessingSwitched() override { ++postproc_switches; }
    unsaved_answer AskUnsaved() override { return unsaved_answer::discard; }
    int page = -1, postproc_switches = 0;
};

struct Shell : ::testing::Test {
    Shell() {
        t.settings = &sim;
        t.display_options = &display;
        std::vector<float> heights(40 * 32, 12.0f);
        t.BuildFromHeights(heights.data(), 40, 32);
    }
    terrain t;
    simulation_settings sim;
    display_settings display;
    scene_edits edits{t, sim, display};
    program_state state{t, sim, display, edits};
    fake_shell window;
    int paused = 0;
    command_dispatch commands{state, window, [this](const std::function<void()>& action) {
                                  ++paused;
                                  action();
                              }};
};

TEST_F(Shell, CommandsSetTheirSettingsAndMarks) {
    for (const command& c : Commands()) {
        if (c.mark != mark_kind::check) continue;
        SCOPED_TRACE(c.id);
        const bool before = commands.IsMarked(c.id);
        commands.Dispatch(c.id);
        EXPECT_NE(commands.IsMarked(c.id), before);
        commands.Dispatch(c.id);
        EXPECT_EQ(commands.IsMarked(c.id), before);
    }
    const int colours[] = {kCmdBlood, kCmdDarkBlue, kCmdLagoon, kCmdMilk, kCmdSand};
    for (int chosen : colours) {
        commands.Dispatch(chosen);
        EXPECT_EQ(display.water_color, chosen);
        for (int other : colours)
            EXPECT_EQ(commands.IsMarked(other), other == chosen) << chosen << " " << other;
    }
    commands.Dispatch(kCmdCameraFree);
    EXPECT_EQ(display.camera_controll, 0);
    EXPECT_FALSE(commands.IsMarked(kCmdCameraOverTerrain));
    commands.Dispatch(kCmdRainHeight);
    EXPECT_EQ(sim.rain_type, 2);
    EXPECT_TRUE(commands.IsMarked(kCmdRainHeight));
    EXPECT_FALSE(commands.IsMarked(kCmdRainFlat));
    commands.Dispatch(kCmdCenterTerrain);
    EXPECT_EQ(t.view_pos.x, 20.0f);  // the middle of the 40 x 32 grid
    EXPECT_EQ(t.view_pos.y, 16.0f);

    for (int expected : {1, 2, 3, 0, 1}) {
        commands.Dispatch(kCmdNextMode);
        EXPECT_EQ(sim.mode, expected);
        EXPECT_EQ(window.page, expected);
        const int marked = commands.IsMarked(kCmdModeWalking) + commands.IsMarked(kCmdModeTerrain) +
                           commands.IsMarked(kCmdModeObjects);
        EXPECT_EQ(marked, expected == 3 ? 0 : 1);
    }

    for (int bit : {kCmdShowDirections, kCmdShowDepth, kCmdWaterNormals})
        commands.Dispatch(bit);
    EXPECT_EQ(display.show_debug, 1u | 4u | 64u);
    commands.Dispatch(kCmdHideDebug);
    EXPECT_EQ(display.show_debug, 0u);
    EXPECT_FALSE(commands.IsMarked(kCmdWaterNormals));

    // Never faster than real time; rain doubled and halved.
    sim.timescale = 0.75f;
    for (const auto& [id, value, expected] : {std::tuple{kCmdFasterTime, &sim.timescale, 1.0f},
                                              {kCmdFasterTime, &sim.timescale, 1.0f},
                                              {kCmdSlowerTime, &sim.timescale, 0.5f},
                                              {kCmdIncreaseRain, &sim.rain_multiplier, 0.002f},
                                              {kCmdDecreaseRain, &sim.rain_multiplier, 0.001f}}) {
        commands.Dispatch(id);
        EXPECT_FLOAT_EQ(*value, expected) << id;
    }

    // Smoothing under the brush only in terrain editing; every scene command is paused.
    paused = 0;
    t.RaiseBrush(5.0f);
    sim.mode = 0;
    const float raised = t.clusters[0].write_field->GetTerrain(17, 17);
    commands.Dispatch(kCmdSmoothBrush);
    EXPECT_EQ(t.clusters[0].write_field->GetTerrain(17, 17), raised);
    sim.mode = 1;
    commands.Dispatch(kCmdSmoothBrush);
    EXPECT_NE(t.clusters[0].write_field->GetTerrain(17, 17), raised);
    EXPECT_EQ(paused, 2);

    const int generated = paused;
    commands.Dispatch(kCmdTerrainParameters);  // Cancel: nothing generated
    EXPECT_EQ(paused, generated);
    commands.Dispatch(kCmdPostprocEnable);
    EXPECT_EQ(window.postproc_switches, 3);  // two from the marks above
    EXPECT_TRUE(commands.IsMarked(kCmdPostprocEnable));
}

TEST_F(Shell, DragsWheelAndClicksMoveTheViewByTheirFormulas) {
    graphics::postproc_settings post;
    view_input input(t, sim, display, post);
    const view_area area{600, 600, 600, 600};
    mouse_buttons right, sun, middle;
    right.right = sun.right = sun.ctrl = middle.middle = true;
    // From the middle, dx pixels to the left and dy up; the move without buttons ends the
    // drag before.
    const struct {
        const char* what;
        mouse_buttons held;
        int dx, dy;
        float& value;
        float start, expected;
    } drags[] = {
        {"heading", right, 10, 0, t.view.x, 10, 5},
        {"heading wraps", right, 10, 0, t.view.x, 2, 357},
        {"pitch", right, 0, -30, t.view.y, 80, 65},
        {"pitch past the horizon", right, 0, 60, t.view.y, 80, 110},
        {"pitch at most 180", right, 0, 60, t.view.y, 170, 180},
        {"sun azimuth", sun, 10, 0, t.sun.x, 10, 15},
        {"sun zenith at most 90", sun, 0, 50, t.sun.y, 85, 90},
        {"middle drag up zooms out", middle, 0, 20, t.view.z, 100, 120},
    };
    input.Press();
    for (const auto& d : drags) {
        SCOPED_TRACE(d.what);
        d.value = d.start;
        input.Move(300, 300, {}, area);
        input.Move(300, 300, d.held, area);
        input.Move(300 - d.dx, 300 - d.dy, d.held, area);
        EXPECT_FLOAT_EQ(d.value, d.expected);
    }
    EXPECT_FALSE(input.ReleaseIsClick());

    // Leaving the middle third warps, and the warp does not count as a drag.
    EXPECT_TRUE(input.Move(50, 300, right, area));
    const KR::Vector4 before = t.view;
    input.Move(300, 300, right, area);
    EXPECT_EQ(t.view.x, before.x);

    t.view.z = 100;
    input.Wheel(240, {});
    EXPECT_FLOAT_EQ(t.view.z, 144.0f);
    mouse_buttons ctrl, shift;
    ctrl.ctrl = shift.shift = true;
    input.Wheel(-120, ctrl);
    EXPECT_EQ(t.view.w, -5.0f);
    display.field_of_view = 149;
    input.Wheel(120, shift);
    EXPECT_EQ(display.field_of_view, 150.0f);

    // Mode 3 with Shift+Ctrl sets the post-processing points; in another mode it pans.
    mouse_buttons points;
    points.left = points.shift = points.ctrl = true;
    sim.mode = 3;
    input.Move(150, 450, points, area);
    EXPECT_FLOAT_EQ(post.mid.x, 0.25f);
    EXPECT_FLOAT_EQ(post.mid.y, 0.25f);
    sim.mode = 0;
    const KR::Vector4 target = t.view_pos;
    input.Move(300, 300, points, area);
    input.Move(300, 290, points, area);
    EXPECT_NE(t.view_pos.y, target.y);
    EXPECT_FLOAT_EQ(post.mid.x, 0.25f);
}

}  // namespace
