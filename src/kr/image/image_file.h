#pragma once
// An image file (CEL, TEX or BMP, recognised by content) read into plain 8-bit RGBA pixels,
// for code that only wants the picture, not a texture to draw with.

#include <cstdint>
#include <vector>

#include "kr/image/texture_defaults.h"

namespace KR {

struct RgbaImage {
    std::vector<uint8_t> pixels;  // width * height * 4 bytes, bottom row first
    int width = 0;
    int height = 0;
};

// Raises the readers' KR::Error family errors on a file that cannot be read.
RgbaImage ReadImageFile(const char* file_name, const TextureDefaults& env = {});

}  // namespace KR
