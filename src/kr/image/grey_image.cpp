#include "kr/image/grey_image.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace KR {

std::string RangeText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

bool ReadRangeValue(std::string_view text, float& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

}  // namespace KR
