#pragma once
// Height maps: the ground or the water depth of the whole grid written to a file at full
// precision, and new ground generated from such a file. The format follows the file name's
// extension (in any case): .png and .pgm hold 16-bit samples spanning the range they record,
// .r32 holds the metres themselves as 32-bit floats.

#include <string>

class terrain;

enum class height_map_plane { ground, water_depth };

// True when the file name ends in one of the formats' extensions.
bool IsHeightMapName(const std::string& file_name);

// Writes the plane of the whole grid, top row the grid's last, as the grey bitmaps show it. It
// reads the field drawing shows, so a running step does not disturb it. Throws KR::Error
// (with the file name) on failure. Answers a line for the log: the file, its size and the
// range written.
std::string ExportHeightMap(const terrain& t, height_map_plane plane, const std::string& file_name);

// Reads a height map and generates the terrain from it at the generation parameters' grid size
// (resampled when the file's size differs), flooded as Import Bitmap floods; the heights are
// taken as they are, without rescaling, shape or smoothing. PNG and PGM samples span their
// recorded range, or min ... max of the generation parameters when the file records none.
// width and height give an .r32's size (0: square). Throws KR::Error on a bad file, leaving
// the terrain as it was.
void ImportHeightMap(terrain& t, const std::string& file_name, int width = 0, int height = 0);
