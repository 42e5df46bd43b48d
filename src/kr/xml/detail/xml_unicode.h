#pragma once
// 16-bit Unicode files: recognising them and turning them into the UTF-8 text the reader
// parses. Our own conversion, so the result does not depend on the system's locale.

#include <cstddef>
#include <memory>

namespace xml_detail {

enum class Utf16Order { kNone, kLittleEndian, kBigEndian };

struct Utf16Guess {
    Utf16Order order = Utf16Order::kNone;
    size_t bom_size = 0;  // bytes of byte-order mark to skip
};

// A UTF-16 byte-order mark, or else the zero bytes that ASCII-range UTF-16 text shows in every
// other position, mark a file as 16-bit.
Utf16Guess DetectUtf16(const unsigned char* data, size_t size);

// Converts UTF-16 code units (surrogate pairs included) to UTF-8 with a terminating zero.
// Fails on an odd byte count or an unpaired surrogate; out_size excludes the zero.
bool Utf16ToUtf8(const unsigned char* data, size_t size, bool big_endian,
                 std::unique_ptr<char[]>& out, size_t& out_size);

}  // namespace xml_detail
