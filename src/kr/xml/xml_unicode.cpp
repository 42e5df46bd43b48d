#include "kr/xml/detail/xml_unicode.h"

#include <algorithm>
#include <cstdint>

namespace xml_detail {
namespace {

// Enough of the file to see the pattern without reading it all.
constexpr size_t kSampleBytes = 1024;

// Walks the code units, handing each decoded code point to emit; false on a broken sequence.
template <class Emit>
bool DecodeUtf16(const unsigned char* data, size_t size, bool big_endian, Emit emit) {
    if (size % 2 != 0) return false;
    auto unit = [&](size_t i) -> uint32_t {
        return big_endian ? (data[i] << 8) | data[i + 1] : data[i] | (data[i + 1] << 8);
    };
    for (size_t i = 0; i < size; i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xDC00 && u <= 0xDFFF) return false;  // a trail without its lead
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 2 >= size) return false;
            uint32_t trail = unit(i + 2);
            if (trail < 0xDC00 || trail > 0xDFFF) return false;
            u = 0x10000 + ((u - 0xD800) << 10) + (trail - 0xDC00);
            i += 2;
        }
        emit(u);
    }
    return true;
}

size_t Utf8Length(uint32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

char* PutUtf8(uint32_t c, char* out) {
    auto byte = [](uint32_t v) { return static_cast<char>(static_cast<unsigned char>(v)); };
    if (c < 0x80) {
        *out++ = byte(c);
    } else if (c < 0x800) {
        *out++ = byte(0xC0 | (c >> 6));
        *out++ = byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = byte(0xE0 | (c >> 12));
        *out++ = byte(0x80 | ((c >> 6) & 0x3F));
        *out++ = byte(0x80 | (c & 0x3F));
    } else {
        *out++ = byte(0xF0 | (c >> 18));
        *out++ = byte(0x80 | ((c >> 12) & 0x3F));
        *out++ = byte(0x80 | ((c >> 6) & 0x3F));
        *out++ = byte(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

Utf16Guess DetectUtf16(const unsigned char* data, size_t size) {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return {Utf16Order::kLittleEndian, 2};
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) return {Utf16Order::kBigEndian, 2};
    // Eight-bit text has no zero bytes at all; ASCII-range UTF-16 has one in every unit, on
    // the same side. Most units must show it, and the other side almost never.
    size_t units = std::min(size, kSampleBytes) / 2;
    size_t zero_high_le = 0, zero_high_be = 0;
    for (size_t i = 0; i < units; ++i) {
        unsigned char even = data[2 * i], odd = data[2 * i + 1];
        if (odd == 0 && even != 0) ++zero_high_le;
        if (even == 0 && odd != 0) ++zero_high_be;
    }
    if (zero_high_le * 2 > units && zero_high_le > 4 * zero_high_be) {
        return {Utf16Order::kLittleEndian, 0};
    }
    if (zero_high_be * 2 > units && zero_high_be > 4 * zero_high_le) {
        return {Utf16Order::kBigEndian, 0};
    }
    return {};
}

bool Utf16ToUtf8(const unsigned char* data, size_t size, bool big_endian,
                 std::unique_ptr<char[]>& out, size_t& out_size) {
    size_t length = 0;
    if (!DecodeUtf16(data, size, big_endian, [&](uint32_t c) { length += Utf8Length(c); })) {
        return false;
    }
    out = std::make_unique_for_overwrite<char[]>(length + 1);
    char* p = out.get();
    DecodeUtf16(data, size, big_endian, [&](uint32_t c) { p = PutUtf8(c, p); });
    *p = 0;
    out_size = length;
    return true;
}

}  // namespace xml_detail
