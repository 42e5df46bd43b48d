#pragma once
// The program's run-time settings besides the simulation's, grouped by the part that reads
// them. The configuration file sets them at start-up, scene files and commands later.

#include <cstdint>

// What the renderer draws and how.
struct display_settings {
    int use_shaders = 1;
    int show_terrain = 1;
    int show_water = 1;
    int show_box = 0;
    int show_sky = 1;
    int show_shadows = 0;
    int show_vegetation = 0;
    uint32_t show_debug = 0;  // debug view bits
    int water_color = 3025;   // command id of the water colour (Lagoon)
    int light_view = 0;       // render from the light's view
    int camera_controll = 1;  // 0 free, 1 over terrain, 2 target always visible
    int tex_shadow_size = 0;  // 0: chosen from the graphics card
    int postproc_enable = 0;
    float field_of_view = 30.0f;  // degrees; Shift + wheel scales it within 1 ... 150
};

// The textures generated at start-up.
struct texture_settings {
    int skybox_size = 1024;  // side of each sky-box face in pixels
    float skybox_clouds = 0.6f;
    float skybox_turbulence = 0.3f;
    float skybox_stars = 0.5f;
    int water_size = 128;  // side of each water animation frame
    int water_frames = 64;
};

// How the program runs.
struct program_settings {
    int multithreading = 0;  // the simulation steps on its own thread
    int toolbox_visible = 1;
};

inline display_settings display;
inline texture_settings textures;
inline program_settings program;
