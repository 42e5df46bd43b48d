#include "app/command_table.h"

#include <algorithm>
#include <array>

namespace app {
namespace {

using enum mark_kind;

// The menus' own Alt letters keep clear of the Alt shortcuts (T, W, B, D, C, R, S, F, H): an
// Alt+letter that opened a menu as well would do neither.
constexpr const char* kFile = "F&ile";
constexpr const char* kEdit = "Edit";  // every letter of it is taken
constexpr const char* kView = "&View";
constexpr const char* kDebug = "Deb&ug";
constexpr const char* kCamera = "Cam&era";
constexpr const char* kTerrain = "Terr&ain";
constexpr const char* kWater = "Simulati&on";
constexpr const char* kRain = "Rai&n";
constexpr const char* kObjects = "Ob&jects";
constexpr const char* kMode = "&Mode";
constexpr const char* kPost = "&Postprocessing";
constexpr const char* kHelp = "He&lp";

// Menu order. The water colours and camera controls sit in submenus named after the group.
constexpr std::array kCommands = {
    command{kCmdOpen, kFile, "&Open", "Ctrl+O", none},
    command{kCmdSave, kFile, "&Save", "Ctrl+S", none},
    command{kCmdImportHeightMap, kFile, "&Import height map...", nullptr, none, true},
    command{kCmdExportHeightMap, kFile, "&Export height map...", "Ctrl+E", none},
    command{kCmdCapture, kFile, "&Capture to BMP", "Q", none, true},
    command{kCmdReloadShaders, kFile, "&Reload shaders", "Alt+F5", none},
    command{kCmdExit, kFile, "E&xit", nullptr, none, true},

    // Their texts name the step they would undo or redo.
    command{kCmdUndo, kEdit, "Undo", "Ctrl+Z", none},
    command{kCmdRedo, kEdit, "Redo", "Ctrl+Y|Ctrl+Shift+Z", none},

    command{kCmdModeWalking, kMode, "&Walking", nullptr, radio},
    command{kCmdModeTerrain, kMode, "&Terrain editing", nullptr, radio},
    command{kCmdModeObjects, kMode, "&Object editing", nullptr, radio},
    command{kCmdNextMode, kMode, "Next mode", "Tab", none, true},
    command{kCmdShowToolbox, kMode, "&Show toolbox", "F9", check, true},

    command{kCmdUseShaders, kView, "&Use shaders", "Ctrl+Alt+Shift+S", check},
    command{kCmdShowTerrain, kView, "Show &terrain ", "Alt+T", check, true},
    command{kCmdShowWater, kView, "Show &water", "Alt+W", check},
    command{kCmdShowBox, kView, "Show &box ", "B", check},
    command{kCmdShowSky, kView, "Show &sky box", "Alt+B", check},
    command{kCmdShowShadows, kView, "Show s&hadows", "Ctrl+Shift+S", check},
    command{kCmdShowVegetation, kView, "Show &vegetation", "V", check},
    command{kCmdLightView, kView, "Render from lights view", "L", check, true},
    command{kCmdBlood, kView, "&Blood", "1", radio, true},
    command{kCmdDarkBlue, kView, "&Dark blue", "2", radio},
    command{kCmdLagoon, kView, "&Lagoon", "3", radio},
    command{kCmdMilk, kView, "&Milk", "4", radio},
    command{kCmdSand, kView, "&Sand", "5", radio},

    command{kCmdShowDirections, kDebug, "Show &directions", "D", check},
    command{kCmdDirectionComponents, kDebug, "Show direction &components", "Alt+D", check},
    command{kCmdShowDepth, kDebug, "Show d&epth", "Ctrl+D", check},
    command{kCmdWaterWireframe, kDebug, "Show &water wireframe", "Ctrl+W", check},
    command{kCmdTerrainWireframe, kDebug, "Show &terrain wireframe", "Ctrl+T", check},
    command{kCmdTerrainNormals, kDebug, "Show terrain &normals ", "N", check},
    command{kCmdWaterNormals, kDebug, "Show water n&ormals", "Ctrl+N", check},
    command{kCmdHideDebug, kDebug, "&Hide all debug", "H", none, true},

    command{kCmdCameraFree, kCamera, "&Free", "Alt+C", radio},
    command{kCmdCameraOverTerrain, kCamera, "&Over terrain", "Ctrl+C", radio},
    command{kCmdCameraTargetVisible, kCamera, "&Target always visible", "Shift+C", radio},
    command{kCmdResetTiltFov, kCamera, "Reset tilt and FOV", "Home", none, true},
    command{kCmdCenterTerrain, kCamera, "&Center terrain", "C", none},
    command{kCmdStayOnTerrain, kCamera, "Stay on terrain", nullptr, check, true},
    command{kCmdFloatInWater, kCamera, "&Float in water", "F", check},
    command{kCmdAutorotate, kCamera, "&Autorotate ", "Alt+R", check},

    command{kCmdGenerate, kTerrain, "&Generate terrain", "F5", none},
    command{kCmdTerrainParameters, kTerrain, "Terrain generation &parameters", "F6", none},
    command{kCmdSmoothTerrain, kTerrain, "S&mooth terrain", "Alt+S", none},
    command{kCmdSmoothBrush, nullptr, nullptr, "S", none},
    command{kCmdStopErosion, kTerrain, "&Stop erosion animation", "F8", check, true},

    command{kCmdStopWater, kWater, "&Stop water animation", "F3", check},
    command{kCmdStopWaterShader, kWater, "St&op water shader animation", nullptr, check},
    command{kCmdTsunami, kWater, "&Tsunami", "Enter", none, true},
    command{kCmdAquarium, kWater, "&Aquarium", "F4", check},
    command{kCmdSlowerTime, kWater, "S&lower time", "Num-", none, true},
    command{kCmdFasterTime, kWater, "&Faster time", "Num+", none},
    command{kCmdResetWater, kWater, "R&eset", "Ctrl+R", none, true},
    command{kCmdResetMovement, kWater, "Reset &movement", "R", none},

    command{kCmdStopRain, kRain, "&Stop", "F2", check},
    command{kCmdIncreaseRain, kRain, "&Increase rain", "Ctrl+Num+", none},
    command{kCmdDecreaseRain, kRain, "&Decrease rain", "Ctrl+Num-", none},
    command{kCmdRainFlat, kRain, "&Flat", "Alt+F", radio, true},
    command{kCmdRainHeight, kRain, "&Height based", "Alt+H", radio},
    command{kCmdRainMap, kRain, "Rain &map", nullptr, radio},
    command{kCmdEditRainMap, kRain, "&Edit rain map\tF7", nullptr, none, true},
    command{kCmdLoadRainMap, kRain, "&Load rain map", nullptr, none},
    command{kCmdSaveRainMap, kRain, "Save rain map", nullptr, none},

    command{kCmdAddSpring, kObjects, "Add s&pring", "Ins", none},
    command{kCmdAddStatic, nullptr, nullptr, "Space", none},
    command{kCmdCancelSelection, kObjects, "&Cancel selection", "Esc", none, true},
    command{kCmdDeleteSelected, kObjects, "&Delete selected", "Del", none},

    command{kCmdPostprocEnable, kPost, "&Enable", "P", check},

    command{kCmdAbout, kHelp, "&About and controls ", "F1", none},
};

}  // namespace

std::span<const command> Commands() {
    return kCommands;
}

const command* FindCommand(int id) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [id](const command& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

}  // namespace app
