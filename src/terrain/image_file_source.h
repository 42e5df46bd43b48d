#pragma once
// Height images for the import come from image files (CEL, TEX or BMP, by content).

#include <string>

#include "terrain/image_source.h"

// Reads an image file into RGBA pixels, bottom row first; raises KR::ErrorFile on a bad file.
rgba_image ReadImageFile(const std::string& file_name);
