#pragma once
// The settings that drive the simulation. Both threads read them; a command changes them only
// while no step is in flight.

struct simulation_settings {
    float timescale = 1.0f;          // multiplies flow, rain, springs and the water animation
    float randomness = 0.0f;         // upper bound of the random damping of shallow flow
    int rain_type = 1;               // 1 flat, 2 height based, 3 rain map (adds nothing)
    float rain_multiplier = 0.001f;  // rain per step; also scales spring output
    float water_min_depth = 0.05f;   // depth below which water is drawn sunk
    float water_density = 2.0f;      // stored and saved only
    int aquarium = 0;                // the edge holds water up to z_aquarium
    float z_aquarium = 40.0f;
    int stop_rain = 0;
    int stop_water = 0;    // rain and flow off; also freezes springs and floating
    int stop_erosion = 1;  // slope collapse starts switched off
    int stop_water_shader = 0;
    float animation_time = 0.0f;  // phase of the water animation in [0, 1)
    int auto_rotate = 0;
    int float_in_water = 0;
    int stay_on_terrain = 1;
    int mode = 0;  // 0 walking, 1 terrain editing, 2 object editing, 3 post-processing
};

// The program's simulation settings.
extern simulation_settings sim_settings;
