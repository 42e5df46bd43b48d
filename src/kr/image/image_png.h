#pragma once
// Greyscale PNG files through libpng. Reading takes any PNG: colour becomes luminance, palettes,
// transparency and interlacing are undone, and every depth is widened to 16 bits. tEXt chunks
// "qor:min" and "qor:max" record the range the samples stand for.

#include "kr/image/grey_image.h"

namespace KR {

class ByteReader;

// Raises KR::ErrorFile at "KR::ReadPng" unless the bytes are a whole PNG. The answer's
// max_value is always 65535.
GreyImage ReadPng(ByteReader& in);
GreyImage ReadPng(const char* file_name);

// Writes a 16-bit greyscale PNG (the image's max_value must be 65535), with its range when it
// has one. Height maps compress well at a low level, which keeps writing fast.
// Raises KR::ErrorFile at "KR::WritePng".
void WritePng(const char* file_name, const GreyImage& image, int compression_level = 2);

}  // namespace KR
