#pragma once
// Writing device-independent bitmaps (.bmp) byte for byte, without any platform API.

#include <cstdint>
#include <vector>

namespace KR {

// What the header builder needs to know of a bitmap.
struct BitmapDesc {
    int32_t width = 0;
    int32_t height = 0;  // positive: rows are stored bottom row first
    uint16_t planes = 1;
    uint16_t bits_per_pixel = 24;
};

// The 40-byte info header, followed by a zeroed palette of 2^bits entries of 4 bytes when the
// colour depth is below 24 bits.
std::vector<uint8_t> CreateBitmapInfoStruct(const BitmapDesc& bitmap);

// Writes the 14-byte file header, the info header with its palette and the pixel bytes
// (as many as the info header's image size says). Raises KR::ErrorFile on failure.
void CreateBMPFile(const char* file_name, const std::vector<uint8_t>& info, const uint8_t* pixels);

// Saves tightly packed RGB pixels, bottom row first, as a 24-bit bitmap.
void SaveRGB2BMP(const char* file_name, int width, int height, const uint8_t* rgb);

// Saves one byte per pixel, bottom row first, as an 8-bit bitmap with a grey palette.
void SaveGrey2BMP(const char* file_name, int width, int height, const uint8_t* values);

// Row length in bytes of a bitmap row: rounded up to whole 32-bit words.
inline uint32_t BitmapRowStride(uint32_t width, uint32_t bits) {
    return static_cast<uint32_t>((static_cast<uint64_t>(width) * bits + 31) / 32 * 4);
}

}  // namespace KR
