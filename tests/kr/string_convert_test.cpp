#include "kr/string_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "kr/error.h"

namespace {

// Stream extraction is what the conversions must behave like; ask it directly.
template <class T>
bool StreamReads(const char* text, T& value) {
    std::istringstream in(text);
    in >> value;
    return !in.fail();
}

const char* const kSamples[] = {
    "0",           "12",
    "-7",          "+5",
    "  \t\n42",    "12abc",
    "1.5",         "-0",
    "007",         ".5",
    "5.",          "-.25e-3x",
    "1e5",         "1E+05",
    "3.4e38",      "1e39",
    "-1e39",       "1e-40",
    "1e-50",       "0x10",
    "1e",          "1e+",
    "2.5e-",       "",
    " ",           "abc",
    "-",           "+",
    "+-1",         "--1",
    ".",           "nan",
    "inf",         "2147483647",
    "2147483648",  "-2147483648",
    "-2147483649", "99999999999999999999",
    "12.3457",     "1.5.3",
    "1e5.5",       "e5",
    "4294967296",  "0.000000000000000000000000000000000000000000001",
    "1,5",
};

TEST(StringConvert, IntReadsLikeStreamExtraction) {
    for (const char* text : kSamples) {
        int expected = 0;
        if (StreamReads(text, expected)) {
            EXPECT_EQ(KR::StringToInt(text), expected) << '"' << text << '"';
        } else {
            EXPECT_THROW(KR::StringToInt(text), KR::ErrorParam) << '"' << text << '"';
        }
    }
}

TEST(StringConvert, FloatReadsLikeStreamExtraction) {
    for (const char* text : kSamples) {
        float expected = 0;
        if (StreamReads(text, expected)) {
            const float got = KR::StringToFloat(text);
            EXPECT_EQ(got, expected) << '"' << text << '"';
            EXPECT_EQ(std::signbit(got), std::signbit(expected)) << '"' << text << '"';
        } else {
            EXPECT_THROW(KR::StringToFloat(text), KR::ErrorParam) << '"' << text << '"';
        }
    }
}

TEST(StringConvert, FailuresCarryTheConversionMessage) {
    try {
        KR::StringToInt(nullptr);  // a missing attribute
        FAIL();
    } catch (const KR::ErrorParam& e) {
        EXPECT_EQ(e.Message(), "KR::StringToInt: Conversion error!");
        EXPECT_EQ(e.FullText(), e.Message());
    }
    try {
        KR::StringToFloat("x");
        FAIL();
    } catch (const KR::ErrorParam& e) {
        EXPECT_EQ(e.Message(), "KR::StringToFloat: Conversion error!");
    }
}

TEST(StringConvert, FloatsWrittenWithSixDigitsReadBackToTheNearestFloat) {
    for (float v : {70.0f, 0.5f, 12.3457f, -3.14159f, 1e-7f, 123456.0f, 2.5e12f}) {
        std::ostringstream out;
        out << v;
        std::istringstream in(out.str());
        float expected = 0;
        in >> expected;
        EXPECT_EQ(KR::StringToFloat(out.str().c_str()), expected) << out.str();
    }
}

}  // namespace
