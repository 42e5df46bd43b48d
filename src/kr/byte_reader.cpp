#include "kr/byte_reader.h"

#include <limits>
#include <new>

#include "kr/error.h"

namespace KR {

const uint8_t* ByteReader::Take(size_t n) {
    if (n > Remaining()) Fail();
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

std::vector<uint8_t> ReadRestOfFile(std::FILE* file, std::string_view file_name) {
    constexpr const char* kPlace = "KR::Texture::load";
    std::clearerr(file);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got > 0) {
            try {
                bytes.insert(bytes.end(), chunk, chunk + got);
            } catch (const std::bad_alloc&) {
                const size_t wanted = bytes.size() + got;
                throw ErrorMem(kPlace, ": file buffer",
                               wanted > std::numeric_limits<uint32_t>::max()
                                   ? 0u
                                   : static_cast<uint32_t>(wanted));
            }
        }
        if (got < sizeof chunk) break;
    }
    if (std::ferror(file)) throw ErrorFile(kPlace, ": errno!=0", file_name);
    return bytes;
}

}  // namespace KR
