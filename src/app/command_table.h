#pragma once
// The program's commands as data: id, menu, label, shortcut and how the menu marks it. The
// menu bar, the shortcuts and the tests are all built from this one table.

#include <cstdint>
#include <span>

namespace app {

// How a command's menu item is marked.
enum class mark_kind : uint8_t {
    none,   // a plain action
    check,  // a switch: marked while it is 1
    radio,  // one of a group: marked while its setting has this item's value
};

struct command {
    int id;
    const char* menu;   // the menu it stands in, e.g. "&File"; nullptr: no menu item
    const char* label;  // the menu text, e.g. "&Open"
    // The shortcut, e.g. "Ctrl+O"; "Num+" and "Num-" are the keypad keys, "Enter" is the
    // main Enter key (Return) and the keypad's; several keys are joined by "|"; nullptr: none.
    const char* key;
    mark_kind mark;
    bool separator_before = false;
};

// Every command, in menu order.
std::span<const command> Commands();
const command* FindCommand(int id);

// Command ids that other parts of the shell refer to.
enum command_id : int {
    kCmdAbout = 104,
    kCmdAutorotate = 2811,
    kCmdShowTerrain = 2880,
    kCmdShowWater = 2881,
    kCmdShowBox = 2884,
    kCmdStopRain = 2886,
    kCmdRainFlat = 2887,
    kCmdOpen = 2897,
    kCmdSave = 2898,
    kCmdExit = 2900,
    kCmdRainMap = 2906,
    kCmdRainHeight = 2907,
    kCmdResetWater = 2911,
    kCmdStopWater = 2912,
    kCmdEditRainMap = 2913,
    kCmdLoadRainMap = 2914,
    kCmdSaveRainMap = 2915,
    kCmdStopErosion = 2916,
    kCmdIncreaseRain = 2931,
    kCmdDecreaseRain = 2932,
    kCmdTsunami = 2937,
    kCmdAquarium = 2942,
    kCmdResetMovement = 2953,
    kCmdAddSpring = 2956,
    kCmdShowDepth = 2966,
    kCmdShowDirections = 2967,
    kCmdWaterWireframe = 2968,
    kCmdTerrainWireframe = 2969,
    kCmdHideDebug = 2970,
    kCmdWaterNormals = 2973,
    kCmdTerrainNormals = 2974,
    kCmdShowSky = 2978,
    kCmdShowShadows = 2984,
    kCmdTerrainParameters = 2988,
    kCmdGenerate = 2989,
    kCmdDirectionComponents = 2991,
    kCmdUseShaders = 2996,
    kCmdSmoothTerrain = 2999,
    kCmdSmoothBrush = 3002,
    kCmdSlowerTime = 3006,
    kCmdFasterTime = 3007,
    kCmdNextMode = 3008,
    kCmdStopWaterShader = 3013,
    kCmdCenterTerrain = 3016,
    kCmdBlood = 3023,
    kCmdMilk = 3024,
    kCmdLagoon = 3025,
    kCmdDarkBlue = 3028,
    kCmdSand = 3030,
    kCmdLightView = 3039,
    kCmdStayOnTerrain = 3042,
    kCmdFloatInWater = 3044,
    kCmdAddStatic = 3051,
    kCmdCameraOverTerrain = 3053,
    kCmdCameraTargetVisible = 3060,
    kCmdCameraFree = 3061,
    kCmdCancelSelection = 3067,
    kCmdDeleteSelected = 3071,
    kCmdModeWalking = 3080,
    kCmdModeTerrain = 3081,
    kCmdModeObjects = 3082,
    kCmdShowToolbox = 3085,
    kCmdShowVegetation = 3092,
    kCmdReloadShaders = 3095,
    kCmdPostprocEnable = 3099,
    kCmdResetTiltFov = 3102,
    kCmdCapture = 3106,
    kCmdUndo = 3110,
    kCmdRedo = 3111,
    kCmdExportHeightMap = 3112,
    kCmdImportHeightMap = 3113,
};

}  // namespace app
