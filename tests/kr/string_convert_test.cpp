#include "kr/base/string_convert.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "kr/base/error.h"

namespace {

// Stream extraction is what the conversions must behave like; ask it directly.
template <class T>
bool StreamReads(const char* text, T& value) {
    std::istringstream in(text);
    in >> value;
    return !in.fail();
}

TEST(StringConvert, IntAndFloatReadLikeStreamExtraction) {
    // clang-format off
    const char* const samples[] = {
        "0", "12", "-7", "+5", "  \t\n42", "12abc", "1.5", "-0", "007", ".5", "5.", "-.25e-3x",
        "1e5", "1E+05", "3.4e38", "1e39", "-1e39", "1e-40", "1e-50", "0x10", "1e", "1e+", "2.5e-",
        "", " ", "abc", "-", "+", "+-1", "--1", ".", "nan", "inf", "2147483647", "2147483648",
        "-2147483648", "-2147483649", "99999999999999999999", "12.3457", "1.5.3", "1e5.5", "e5",
        "4294967296", "0.000000000000000000000000000000000000000000001", "1,5",
    };
    // clang-format on
    for (const char* text : samples) {
        int i = 0;
        if (StreamReads(text, i)) {
            EXPECT_EQ(KR::StringToInt(text), i) << '"' << text << '"';
        } else {
            EXPECT_THROW(KR::StringToInt(text), KR::ErrorParam) << '"' << text << '"';
        }
        float f = 0;
        if (StreamReads(text, f)) {
            const float got = KR::StringToFloat(text);
            EXPECT_EQ(got, f) << '"' << text << '"';
            EXPECT_EQ(std::signbit(got), std::signbit(f)) << '"' << text << '"';
        } else {
            EXPECT_THROW(KR::StringToFloat(text), KR::ErrorParam) << '"' << text << '"';
        }
    }
    auto message = [](auto call) {
        try {
            call();
        } catch (const KR::ErrorParam& e) {
            EXPECT_EQ(e.FullText(), e.Message());
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { KR::StringToInt(nullptr); }),  // a missing attribute
              "KR::StringToInt: Conversion error!");
    EXPECT_EQ(message([] { KR::StringToFloat("x"); }), "KR::StringToFloat: Conversion error!");
}

// Plain decimals take a short way of their own; it must give the library's bits, also for
// texts exactly halfway between two floats, at the ends of the float range and for floats
// written with six digits.
TEST(StringConvert, PlainDecimalsGiveTheLibrarysBits) {
    auto expect_library = [](const char* text) {
        const char* begin = text + (*text == '+');
        float expected = 0;
        std::from_chars(begin, begin + std::strlen(begin), expected);
        EXPECT_EQ(std::bit_cast<uint32_t>(KR::StringToFloat(text)),
                  std::bit_cast<uint32_t>(expected))
            << text;
    };
    for (const char* text : {"16777217",
                             "16777219",
                             "3.32147264998639e-5",
                             "6.77605491716804e-8",
                             "8.79933504620567e-4",
                             "1.03969007730484",
                             "9.94321584701538",
                             "0.1",
                             "-0",
                             "+0.000123457",
                             "1e-07",
                             "1.17549e-38",
                             "1.17549435e-38",
                             "3.40282e+38",
                             "340282346638528859811704183484516925440",
                             "9.99999e22",
                             "1.4e-45",
                             "123456789012345.6",
                             "0.000000000000000000000001",
                             "70",
                             "12.3457",
                             "-3.14159",
                             "123456",
                             "2.5e+12"})
        expect_library(text);
    // Every 65537th bit pattern, written as the scene saver and as the shortest text do.
    char text[64];
    for (uint64_t bits = 0; bits < (1ull << 32); bits += 65537) {
        const float value = std::bit_cast<float>(uint32_t(bits));
        if (!std::isfinite(value)) continue;
        *std::to_chars(text, text + 63, value, std::chars_format::general, 6).ptr = 0;
        expect_library(text);
        *std::to_chars(text, text + 63, value).ptr = 0;
        expect_library(text);
    }
}

}  // namespace
