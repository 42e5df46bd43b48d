#pragma once
// Scene files (*.qor): the whole running state of the grid, the view and the settings, as
// XML text. Scene objects and generation parameters are not part of a scene.

#include <ostream>

class terrain;
struct display_settings;
struct simulation_settings;

// Writes the scene as text.
void WriteScene(std::ostream& out, const terrain& t, const simulation_settings& s,
                const display_settings& d);

// Saves to a file, replacing it only once the whole scene is written. Raises KR::ErrorFile
// when there is no grid to save or the file cannot be created or written.
void SaveScene(const char* file_name, const terrain& t, const simulation_settings& s,
               const display_settings& d);

// Seconds spent in the parts of a successful load.
struct scene_load_times {
    double read = 0;  // the file read, and parsed into a tree unless its rows are read directly
    double convert =
        0;             // the numbers of the vertices, text to float (rows read directly: all of it)
    double build = 0;  // the rest: checks, fields, borders, settings and draw buffers
};

// Loads a scene file. Everything is read and checked before anything is replaced: on any
// error nothing changes and KR::Error ": File structure error! Can't continue." is raised.
void LoadScene(const char* file_name, terrain& t, simulation_settings& s, display_settings& d,
               scene_load_times* times = nullptr);
