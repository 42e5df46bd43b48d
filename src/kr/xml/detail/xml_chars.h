#pragma once
// Character tables of the XML reader. Text is measured in UTF-8 characters by the lead byte;
// stray bytes are never trusted to carry the scanner past the terminating zero.

#include <array>
#include <cstddef>
#include <cstdint>

namespace xml_detail {

// Classes of a byte for the scanner's inner loops.
enum : uint8_t {
    kCharSpace = 1,      // LF, blank, TAB, CR
    kCharTextStop = 2,   // may end a text token ('/' only before '>'; '&' only marks)
    kCharHigh = 4,       // 0x80 and above: stepped by the length table
    kCharRunStop = 8,    // ends a text run in element content
    kCharQuoteStop = 16  // may end a quoted value: either quote, '<', the zero; '&' marks
};

constexpr std::array<uint8_t, 256> MakeCharClasses() {
    std::array<uint8_t, 256> t{};
    for (int c : {'\n', ' ', '\t', '\r'})
        t[c] |= kCharSpace | kCharTextStop;
    for (int c : {'<', '>', '=', '/', '\0'})
        t[c] |= kCharTextStop;
    for (int c : {'<', '\0'})
        t[c] |= kCharRunStop | kCharQuoteStop;
    for (int c : {'"', '\''})
        t[c] |= kCharQuoteStop;
    t['&'] |= kCharTextStop | kCharRunStop | kCharQuoteStop;
    for (int c = 0x80; c < 256; ++c) {
        t[c] |= kCharHigh | kCharTextStop | kCharRunStop | kCharQuoteStop;
    }
    return t;
}

// Byte count of a character by its lead byte: 0 for the terminating zero.
constexpr std::array<uint8_t, 256> MakeCharLengths() {
    std::array<uint8_t, 256> t{};
    for (int c = 1; c < 256; ++c) {
        t[c] = c >= 0xC2 && c <= 0xDF   ? 2
               : c >= 0xE0 && c <= 0xEF ? 3
               : c >= 0xF0 && c <= 0xF4 ? 4
                                        : 1;
    }
    return t;
}

inline constexpr std::array<uint8_t, 256> kCharClass = MakeCharClasses();
inline constexpr std::array<uint8_t, 256> kCharLength = MakeCharLengths();

inline uint8_t CharClass(char c) {
    return kCharClass[static_cast<uint8_t>(c)];
}
inline bool IsSpace(char c) {
    return CharClass(c) & kCharSpace;
}
inline char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Steps over the character at p by the length table, stopping at a zero byte, so that a lead
// byte at the very end of the text cannot carry a scan beyond it.
inline const char* StepChar(const char* p) {
    int n = kCharLength[static_cast<uint8_t>(*p)];
    if (n == 0) return p;
    ++p;
    while (--n > 0 && *p != 0)
        ++p;
    return p;
}
inline char* StepChar(char* p) {
    return const_cast<char*>(StepChar(static_cast<const char*>(p)));
}

// Name comparison of the reader: ASCII letters match regardless of case.
inline bool NamesEqual(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    while (*a != 0 && Lower(*a) == Lower(*b)) {
        ++a;
        ++b;
    }
    return *a == 0 && *b == 0;
}
// The same against a name of known length that is not terminated.
bool NamesEqual(const char* a, const char* b, size_t b_length);
// Whether text begins with prefix, ignoring case; stops at the text's zero.
bool StartsWithNoCase(const char* text, const char* prefix);

}  // namespace xml_detail
