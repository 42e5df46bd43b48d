#pragma once
// A greyscale picture of up to 16 bits per sample, the form height maps take in files, and
// the range of values its samples stand for when the file records one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace KR {

struct GreyImage {
    std::vector<uint16_t> pixels;  // width * height samples, top row first
    int width = 0;
    int height = 0;
    uint16_t max_value = 65535;  // the sample that stands for white
    // low is what sample 0 stands for and high what max_value stands for, when has_range.
    bool has_range = false;
    float low = 0.0f;
    float high = 0.0f;
};

// The largest picture the readers accept: far beyond any grid, and still within memory.
constexpr uint64_t kLargestGreyImage = uint64_t(1) << 26;

// A range value as files record it: enough digits to give the same float back.
std::string RangeText(float value);
// Reads a whole range value; false unless it is a finite number.
bool ReadRangeValue(std::string_view text, float& value);

}  // namespace KR
