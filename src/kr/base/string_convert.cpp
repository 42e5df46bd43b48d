#include "kr/base/string_convert.h"

#include <locale.h>
#include <bit>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kr/base/error.h"

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

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The plain decimals that scene files are made of, read without the library: digits [. digits]
// [e [sign] digits] with at most 15 significant digits and a power of ten within 10^±22. Both
// are then exact doubles, so one multiplication or division rounds the value correctly to
// double; rounding that to float is correct too unless it fell exactly halfway between two
// floats. Answers false for those and for everything else, which the library decides.
bool PlainDecimal(const char* p, float& value) {
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!IsDigit(*p)) return false;
    uint64_t digits = 0;
    int significant = 0, exponent = 0;
    auto take = [&](char c) {
        if (digits != 0 || c != '0') {
            digits = digits * 10 + uint64_t(c - '0');
            ++significant;
        }
    };
    for (; IsDigit(*p); ++p)
        take(*p);
    if (*p == '.') {
        if (!IsDigit(*++p)) return false;
        for (; IsDigit(*p); ++p, --exponent)
            take(*p);
    }
    if (significant > 15) return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        const bool down = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        if (!IsDigit(*p)) return false;
        int written = 0;
        for (; IsDigit(*p); ++p)
            if ((written = written * 10 + (*p - '0')) > 1000) return false;
        exponent += down ? -written : written;
    }
    if (exponent < -22 || exponent > 22) return false;
    double exact = double(digits);
    exact = exponent < 0 ? exact / kPowersOfTen[-exponent] : exact * kPowersOfTen[exponent];
    if (digits != 0) {
        if (!(exact >= FLT_MIN && exact <= FLT_MAX)) return false;
        // The 29 bits that float drops, exactly half of their unit: a tie.
        if ((std::bit_cast<uint64_t>(exact) & 0x1FFFFFFF) == 0x10000000) return false;
    }
    value = negative ? -float(exact) : float(exact);
    return true;
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
    float value = 0.0f;
    if (PlainDecimal(begin, value)) return value;
    const char* end = ScanFloat(begin);
    // from_chars takes no leading plus sign.
    const char* number = *begin == '+' ? begin + 1 : begin;
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
