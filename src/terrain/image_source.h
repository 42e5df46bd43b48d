#pragma once
// Where imported height images come from: a function that reads a file into 8-bit RGBA
// pixels. Its failures are its own errors (KR::Error family); the terrain stays as it was.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct rgba_image {
    std::vector<uint8_t> pixels;  // width * height * 4 bytes, rows as the reader delivers them
    int width = 0;
    int height = 0;
};

using image_source = std::function<rgba_image(const std::string& file_name)>;
