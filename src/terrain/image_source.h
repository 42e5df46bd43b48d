#pragma once
// Where imported height images come from: a function that reads a file into 8-bit RGBA
// pixels. Its failures are its own errors (KR::Error family); the terrain stays as it was.

#include <functional>
#include <string>

#include "kr/image/image_file.h"

using rgba_image = KR::RgbaImage;

using image_source = std::function<rgba_image(const std::string& file_name)>;
