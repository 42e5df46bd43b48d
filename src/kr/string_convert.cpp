#include "kr/string_convert.h"

#include <locale.h>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "kr/error.h"

namespace KR {
namespace {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void ConversionError(const char* place) {
    throw ErrorParam(place, ": Conversion error!");
}

// Collects the characters stream extraction would take for a float:
// [sign] digits [. digits] [e [sign] digits]. Answers the end of what was taken.
const char* ScanFloat(const char* p) {
    if (*p == '+' || *p == '-') ++p;
    bool mantissa = false;
    while (IsDigit(*p))
        ++p, mantissa = true;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p))
            ++p, mantissa = true;
    }
    if (mantissa && (*p == 'e' || *p == 'E')) {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        while (IsDigit(*p))
            ++p;
    }
    return p;
}

// The exact value the C library gives, used only for results outside the float range.
float CLocaleStrtof(const char* begin, const char* end, bool& ok) {
    static locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string copy(begin, end);
    char* stop = nullptr;
    const float value = strtof_l(copy.c_str(), &stop, c_locale);
    ok = stop == copy.c_str() + copy.size() && std::isfinite(value);
    return value;
}

}  // namespace

int StringToInt(const char* text) {
    if (text == nullptr) ConversionError("KR::StringToInt");
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const char* digits = p;
    while (IsDigit(*p))
        ++p;
    if (p == digits) ConversionError("KR::StringToInt");
    // Read the magnitude unsigned so that the most negative value converts too.
    unsigned long long magnitude = 0;
    auto [end, ec] = std::from_chars(digits, p, magnitude);
    const unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
    if (ec != std::errc() || end != p || magnitude > limit) ConversionError("KR::StringToInt");
    return negative ? static_cast<int>(-static_cast<long long>(magnitude))
                    : static_cast<int>(magnitude);
}

float StringToFloat(const char* text) {
    if (text == nullptr) ConversionError("KR::StringToFloat");
    const char* begin = text;
    while (IsSpace(*begin))
        ++begin;
    const char* end = ScanFloat(begin);
    // from_chars takes no leading plus sign.
    const char* number = *begin == '+' ? begin + 1 : begin;
    float value = 0.0f;
    auto [stop, ec] = std::from_chars(number, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, as the stream does; overflow is an error.
        bool ok = false;
        value = CLocaleStrtof(begin, end, ok);
        if (!ok) ConversionError("KR::StringToFloat");
        return value;
    }
    if (ec != std::errc() || stop != end) ConversionError("KR::StringToFloat");
    return value;
}

}  // namespace KR
