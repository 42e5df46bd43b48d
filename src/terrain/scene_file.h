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

// Loads a scene file. Everything is read and checked before anything is replaced: on any
// error nothing changes and KR::Error ": File structure error! Can't continue." is raised.
void LoadScene(const char* file_name, terrain& t, simulation_settings& s, display_settings& d);
