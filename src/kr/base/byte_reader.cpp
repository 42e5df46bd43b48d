#include "kr/base/byte_reader.h"

#include <algorithm>
#include <limits>
#include <new>

#include "kr/base/error.h"

namespace KR {

ByteReader::ByteReader(std::FILE* file, size_t file_size, std::string_view file_name)
    : bytes(nullptr), size(file_size), loaded(0), file(file), file_name(file_name) {}

void ByteReader::Load(size_t end) {
    // A little read-ahead, so that header fields taken one by one do not each cost a read.
    constexpr size_t kReadAhead = 64 * 1024;
    const size_t want = std::min(size, std::max(end, loaded + kReadAhead));
    try {
        buffer.resize(want);
    } catch (const std::bad_alloc&) {
        throw ErrorMem(
            "KR::Texture::load", ": file buffer",
            want > std::numeric_limits<uint32_t>::max() ? 0u : static_cast<uint32_t>(want));
    }
    const size_t got = std::fread(buffer.data() + loaded, 1, want - loaded, file);
    bytes = buffer.data();
    loaded += got;
    // A read error, or a file that shrank since its size was taken.
    if (loaded < end) Fail();
}

const uint8_t* ByteReader::Take(size_t n) {
    if (n > Remaining()) Fail();
    if (pos + n > loaded) Load(pos + n);
    const uint8_t* at = bytes + pos;
    pos += n;
    return at;
}

void ByteReader::Seek(size_t position) {
    if (position > size) Fail();
    pos = position;
}

uint16_t ByteReader::U16() {
    return Le16(Take(2));
}

uint32_t ByteReader::U32() {
    return Le32(Take(4));
}

void ByteReader::Fail() const {
    Fail(": errno!=0");
}

void ByteReader::Fail(std::string_view detail) const {
    throw ErrorFile(place, detail, file_name);
}

}  // namespace KR
