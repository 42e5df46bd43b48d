#include "kr/image/cube_name.h"

#include <string>

#include "kr/base/error.h"

namespace KR {
namespace {

[[noreturn]] void BadPattern(std::string_view pattern) {
    throw ErrorFile("KR::Texture::load", ": Bad cube name pattern.", pattern);
}

}  // namespace

std::string FormatCubeSideName(std::string_view pattern, int side) {
    std::string name;
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            name += pattern[i];
            continue;
        }
        if (++i == pattern.size()) BadPattern(pattern);
        if (pattern[i] == '%') {
            name += '%';
            continue;
        }
        bool zero = false, left = false, plus = false, blank = false;
        for (; i < pattern.size(); ++i) {
            const char c = pattern[i];
            if (c == '0')
                zero = true;
            else if (c == '-')
                left = true;
            else if (c == '+')
                plus = true;
            else if (c == ' ')
                blank = true;
            else
                break;
        }
        size_t width = 0;
        for (; i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9'; ++i) {
            width = width * 10 + size_t(pattern[i] - '0');
            if (width > 64) BadPattern(pattern);
        }
        if (i == pattern.size() || used) BadPattern(pattern);
        const char conversion = pattern[i];
        if (conversion != 'd' && conversion != 'i' && conversion != 'u') BadPattern(pattern);
        used = true;

        const std::string digits = std::to_string(side < 0 ? -side : side);
        char sign = side < 0 ? '-' : (conversion != 'u' && plus ? '+' : '\0');
        if (!sign && conversion != 'u' && blank) sign = ' ';
        const size_t length = (sign ? 1 : 0) + digits.size();
        const size_t pad = length < width ? width - length : 0;
        if (!left && !zero) name.append(pad, ' ');
        if (sign) name += sign;
        if (!left && zero) name.append(pad, '0');
        name += digits;
        if (left) name.append(pad, ' ');
    }
    return name;
}

}  // namespace KR
