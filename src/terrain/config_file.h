#pragma once
// The optional configuration file named on the command line: XML with root `ini`, read once
// at start-up. Every value it holds is in force before the window and the first terrain.

struct display_settings;
struct program_settings;
struct simulation_settings;
struct terrain_generation_info;
struct texture_settings;

// Where the groups of the file go.
struct config_targets {
    simulation_settings& simulation;
    display_settings& display;
    program_settings& program;
    texture_settings& textures;
    terrain_generation_info& generation;
};

// Reads the file. A file that is missing or not an `ini` document writes "Bad config file or
// file format: " and its name to the console log and changes nothing. A value that is not a
// number raises KR::Error "LoadConfig: Config file <name> structure error!\n"; what was read
// before it stays.
void LoadConfig(const char* file_name, const config_targets& targets);
