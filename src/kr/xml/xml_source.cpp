#include "kr/xml/detail/xml_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "kr/base/regular_file.h"
#include "kr/xml/xml_result.h"

// 16-bit Unicode files: recognising them and turning them into the UTF-8 text the reader
// parses. Our own conversion, so the result does not depend on the system's locale.

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

namespace xml_detail {

int LoadXmlFile(const char* file_name, XmlSource* source) {
    KR::whole_file file;
    switch (KR::ReadWholeFile(file_name, kMaxXmlText, file)) {
        case KR::whole_file_read::done:
            break;
        case KR::whole_file_read::cannot_read:
            return kXmlFileNotFound;
        case KR::whole_file_read::empty:
        case KR::whole_file_read::too_large:
            return kXmlNoXmlData;
    }
    std::unique_ptr<char[]> buffer = std::move(file.data);
    const size_t size = file.size;

    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
    Utf16Guess guess = DetectUtf16(bytes, size);
    if (guess.order != Utf16Order::kNone) {
        std::unique_ptr<char[]> converted;
        size_t length = 0;
        if (!Utf16ToUtf8(bytes + guess.bom_size, size - guess.bom_size,
                         guess.order == Utf16Order::kBigEndian, converted, length)) {
            return kXmlUnicodeConversion;
        }
        if (length > kMaxXmlText) return kXmlNoXmlData;
        source->buffer = std::move(converted);
        source->begin = 0;
        source->end = length;
        return kXmlNoError;
    }
    bool bom = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    source->buffer = std::move(buffer);
    source->begin = bom ? 3 : 0;
    source->end = size;
    return kXmlNoError;
}

int CopyXmlText(const char* text, XmlSource* source) {
    size_t size = text == nullptr ? 0 : std::strlen(text);
    if (size > kMaxXmlText) return kXmlNoXmlData;
    source->buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size > 0) std::memcpy(source->buffer.get(), text, size);
    source->buffer[size] = 0;
    source->begin = 0;
    source->end = size;
    return kXmlNoError;
}

}  // namespace xml_detail
