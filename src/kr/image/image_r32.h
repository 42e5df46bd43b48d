#pragma once
// Raw height files (.r32): width * height little-endian 32-bit floats, top row first, with
// no header. The values are what they stand for; the size comes from elsewhere, or the file
// is taken as square.

#include <vector>

namespace KR {

class ByteReader;

struct FloatImage {
    std::vector<float> values;  // width * height, top row first
    int width = 0;
    int height = 0;
};

// Reads a width x height file (0 x 0: square). Raises KR::ErrorFile at "KR::ReadR32" when the
// size does not match the file's length or a value is not a finite number.
FloatImage ReadR32(ByteReader& in, int width = 0, int height = 0);
FloatImage ReadR32(const char* file_name, int width = 0, int height = 0);

// Raises KR::ErrorFile at "KR::WriteR32".
void WriteR32(const char* file_name, const FloatImage& image);

}  // namespace KR
