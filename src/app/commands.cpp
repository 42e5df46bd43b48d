#include "app/commands.h"

#include <algorithm>

#include "app/command_table.h"
#include "app/scene_edits.h"
#include "kr/base/console.h"
#include "terrain/app_settings.h"
#include "terrain/height_map.h"
#include "terrain/scene_file.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain.h"

namespace app {
namespace {

void Toggle(int& flag) {
    flag = 1 - flag;
}

// The switch a check item shows, or nullptr for any other item.
int* SwitchOf(int id, program_state& s) {
    switch (id) {
        case kCmdShowToolbox:
            return &s.toolbox_visible;
        case kCmdUseShaders:
            return &s.display.use_shaders;
        case kCmdShowTerrain:
            return &s.display.show_terrain;
        case kCmdShowWater:
            return &s.display.show_water;
        case kCmdShowBox:
            return &s.display.show_box;
        case kCmdShowSky:
            return &s.display.show_sky;
        case kCmdShowShadows:
            return &s.display.show_shadows;
        case kCmdShowVegetation:
            return &s.display.show_vegetation;
        case kCmdLightView:
            return &s.display.light_view;
        case kCmdPostprocEnable:
            return &s.display.postproc_enable;
        case kCmdStayOnTerrain:
            return &s.sim.stay_on_terrain;
        case kCmdFloatInWater:
            return &s.sim.float_in_water;
        case kCmdAutorotate:
            return &s.sim.auto_rotate;
        case kCmdStopErosion:
            return &s.sim.stop_erosion;
        case kCmdStopWater:
            return &s.sim.stop_water;
        case kCmdStopWaterShader:
            return &s.sim.stop_water_shader;
        case kCmdStopRain:
            return &s.sim.stop_rain;
        case kCmdAquarium:
            return &s.sim.aquarium;
        default:
            return nullptr;
    }
}

// The bit of show_debug a debug item flips, or 0.
uint32_t DebugBit(int id) {
    switch (id) {
        case kCmdShowDirections:
            return 1;
        case kCmdDirectionComponents:
            return 2;
        case kCmdShowDepth:
            return 4;
        case kCmdTerrainWireframe:
            return 8;
        case kCmdWaterWireframe:
            return 16;
        case kCmdTerrainNormals:
            return 32;
        case kCmdWaterNormals:
            return 64;
        default:
            return 0;
    }
}

file_request HeightMapRequest(const char* title, bool must_exist) {
    file_request request;
    request.title = title;
    request.filters = {{"Height maps (*.png *.pgm *.r32)", "*.png *.pgm *.r32"},
                       {"All Files (*.*)", "*.*"}};
    request.must_exist = must_exist;
    request.hide_read_only = must_exist;
    return request;
}

}  // namespace

command_dispatch::command_dispatch(program_state& state, shell& window, step_pause pause)
    : state(state), window(window), pause(std::move(pause)) {}

void command_dispatch::SelectMode(int mode) {
    pause([&] { state.sim.mode = mode; });
    window.ShowModePage(mode);
}

void command_dispatch::Dispatch(int id) {
    switch (id) {
        // What does not touch the scene or the simulation runs beside the step.
        case kCmdAbout:
            return window.ShowAbout();
        case kCmdExit:
            return window.Exit();
        case kCmdCapture:
            return window.Capture();
        case kCmdReloadShaders:
            return window.ReloadShaders();
        case kCmdShowToolbox:
            Toggle(state.toolbox_visible);
            return window.ShowToolbox(state.toolbox_visible != 0);
        case kCmdModeWalking:
            return SelectMode(0);
        case kCmdModeTerrain:
            return SelectMode(1);
        case kCmdModeObjects:
            return SelectMode(2);
        case kCmdNextMode:
            return SelectMode((state.sim.mode + 1) % 4);
        case kCmdPostprocEnable:
            Toggle(state.display.postproc_enable);
            return window.PostprocessingSwitched();
        case kCmdTerrainParameters:
            // Asked before the step is paused: the dialog may stay open for long.
            if (!window.AskTerrainParameters()) return;
            [[fallthrough]];
        case kCmdGenerate:
            if (!MayDropScene()) return;
            return pause([&] {
                state.edits.Record(edit_kind::generation,
                                   [&] { return state.scene.GenerateTerrain(); });
            });
        case kCmdOpen:
            if (!MayDropScene()) return;
            return pause([&] {
                if (state.edits.Record(edit_kind::load, [&] { return state.scene.Load(); }))
                    state.edits.Saved();
            });
        case kCmdExportHeightMap:
            return ExportHeightMap();
        case kCmdImportHeightMap:
            return ImportHeightMap();
        default:
            return pause([&] { Run(id); });
    }
}

void command_dispatch::Run(int id) {
    terrain& t = state.scene;
    simulation_settings& sim = state.sim;
    display_settings& d = state.display;
    if (int* flag = SwitchOf(id, state)) return Toggle(*flag);
    if (const uint32_t bit = DebugBit(id)) {
        d.show_debug ^= bit;
        return;
    }
    scene_edits& edits = state.edits;
    switch (id) {
        case kCmdSave:
            if (t.Save()) edits.Saved();
            return;
        case kCmdUndo:
            edits.Undo();
            return;
        case kCmdRedo:
            edits.Redo();
            return;
        case kCmdCancelSelection:
            return t.CancelSelection();
        case kCmdDeleteSelected:
            if (t.selected) edits.Changed();
            return t.DeleteSelected();
        case kCmdBlood:
        case kCmdDarkBlue:
        case kCmdLagoon:
        case kCmdMilk:
        case kCmdSand:
            d.water_color = id;
            return;
        case kCmdHideDebug:
            d.show_debug = 0;
            return;
        case kCmdCameraFree:
            d.camera_controll = 0;
            return;
        case kCmdCameraOverTerrain:
            d.camera_controll = 1;
            return;
        case kCmdCameraTargetVisible:
            d.camera_controll = 2;
            return;
        case kCmdResetTiltFov:
            d.field_of_view = 30.0f;
            t.view.w = 0.0f;
            return;
        case kCmdCenterTerrain:
            t.view_pos.x = t.extent.x / 2;
            t.view_pos.y = t.extent.y / 2;
            return;
        case kCmdSmoothTerrain:
            edits.Record(edit_kind::smoothing, [&] {
                t.SmoothTerrain();
                return true;
            });
            return;
        case kCmdSmoothBrush:
            if (sim.mode != 1) return;
            edits.Record(edit_kind::brush_stroke, [&] {
                t.SmoothBrush();
                return true;
            });
            return;
        case kCmdIncreaseRain:
            sim.rain_multiplier *= 2;
            return;
        case kCmdDecreaseRain:
            sim.rain_multiplier /= 2;
            return;
        case kCmdRainFlat:
            sim.rain_type = 1;
            return;
        case kCmdRainHeight:
            sim.rain_type = 2;
            return;
        case kCmdRainMap:
            sim.rain_type = 3;
            return;
        case kCmdTsunami:
            edits.Record(edit_kind::tsunami, [&] {
                t.Tsunami();
                return true;
            });
            return;
        case kCmdAddSpring:
            t.AddSpring();
            edits.Changed();
            return;
        case kCmdAddStatic:
            t.AddObjectStatic();
            edits.Changed();
            return;
        case kCmdSlowerTime:
            sim.timescale /= 2;
            return;
        // Never faster than real time: a doubling past 1 stops at 1.
        case kCmdFasterTime:
            sim.timescale = std::min(sim.timescale * 2, 1.0f);
            return;
        case kCmdResetWater:
            edits.Changed();
            return t.ResetWater();
        case kCmdResetMovement:
            edits.Changed();
            return t.ResetMovement();
        default:
            return;  // the rain-map items have no effect
    }
}

bool command_dispatch::MayDropScene() {
    if (!state.edits.Unsaved()) return true;
    switch (window.AskUnsaved()) {
        case unsaved_answer::save: {
            bool saved = false;
            pause([&] { saved = SaveToSceneFile(); });
            return saved;
        }
        case unsaved_answer::discard:
            state.edits.Discarded();
            return true;
        case unsaved_answer::cancel:
            break;
    }
    return false;
}

bool command_dispatch::SaveToSceneFile() {
    terrain& t = state.scene;
    if (t.scene_file.empty()) {
        if (!t.Save()) return false;
    } else {
        SaveScene(t.scene_file.c_str(), t, state.sim, state.display);
    }
    state.edits.Saved();
    return true;
}

void command_dispatch::ExportHeightMap() {
    terrain& t = state.scene;
    if (t.cluster_count == 0) return;
    // Asked before the step is paused, as every dialog that may stay open for long.
    std::string name = "heights.png";
    if (!t.file_names || !t.file_names->Ask(HeightMapRequest("Export height map", false), name))
        return;
    pause([&] { KR::console << ::ExportHeightMap(t, height_map_plane::ground, name) << "\n"; });
}

void command_dispatch::ImportHeightMap() {
    if (!MayDropScene()) return;
    terrain& t = state.scene;
    std::string name;
    if (!t.file_names || !t.file_names->Ask(HeightMapRequest("Import height map", true), name))
        return;
    pause([&] {
        state.edits.Record(edit_kind::import, [&] {
            ::ImportHeightMap(t, name);
            t.scene_file.clear();  // the scene is not that file's
            return true;
        });
    });
}

bool command_dispatch::IsEnabled(int id) const {
    switch (id) {
        case kCmdUndo:
            return state.edits.history.NextUndo().has_value();
        case kCmdRedo:
            return state.edits.history.NextRedo().has_value();
        case kCmdExportHeightMap:
            return state.scene.cluster_count > 0;
        default:
            return true;
    }
}

std::string command_dispatch::Label(int id) const {
    const scene_history& history = state.edits.history;
    const auto named = [](const char* verb, std::optional<edit_kind> step) {
        return step ? std::string(verb) + " " + EditName(*step) : std::string(verb);
    };
    if (id == kCmdUndo) return named("Undo", history.NextUndo());
    if (id == kCmdRedo) return named("Redo", history.NextRedo());
    return {};
}

bool command_dispatch::IsMarked(int id) const {
    if (const int* flag = SwitchOf(id, state)) return *flag == 1;
    if (const uint32_t bit = DebugBit(id)) return (state.display.show_debug & bit) != 0;
    switch (id) {
        case kCmdModeWalking:
            return state.sim.mode == 0;
        case kCmdModeTerrain:
            return state.sim.mode == 1;
        case kCmdModeObjects:
            return state.sim.mode == 2;
        case kCmdBlood:
        case kCmdDarkBlue:
        case kCmdLagoon:
        case kCmdMilk:
        case kCmdSand:
            return state.display.water_color == id;
        case kCmdCameraFree:
            return state.display.camera_controll == 0;
        case kCmdCameraOverTerrain:
            return state.display.camera_controll == 1;
        case kCmdCameraTargetVisible:
            return state.display.camera_controll == 2;
        case kCmdRainFlat:
            return state.sim.rain_type == 1;
        case kCmdRainHeight:
            return state.sim.rain_type == 2;
        case kCmdRainMap:
            return state.sim.rain_type == 3;
        default:
            return false;
    }
}

}  // namespace app
