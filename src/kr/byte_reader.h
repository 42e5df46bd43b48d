#pragma once
// Bounds-checked little-endian reading of an image file held in memory. Every read that
// would pass the end raises KR::ErrorFile with the reader's place and ": errno!=0", the
// same error a short read from the file would give.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace KR {

class ByteReader {
  public:
    // Reads over bytes it does not own; file_name only names the file in errors.
    ByteReader(const uint8_t* bytes, size_t size, std::string_view file_name = {})
        : bytes(bytes), size(size), file_name(file_name) {}

    // The place later errors name, e.g. "KR::Texture::load_bmp".
    void SetPlace(std::string_view reader_place) { place = reader_place; }

    size_t Size() const { return size; }
    size_t Position() const { return pos; }
    size_t Remaining() const { return size - pos; }
    const std::string& FileName() const { return file_name; }

    // Answers the next n bytes and moves past them.
    const uint8_t* Take(size_t n);
    void Seek(size_t position);
    uint8_t U8() { return *Take(1); }
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }

    // Raises the short-read error for data the header promises but the file lacks.
    [[noreturn]] void Fail() const;
    // Raises a KR::ErrorFile at the reader's place with another detail.
    [[noreturn]] void Fail(std::string_view detail) const;

  private:
    const uint8_t* bytes;
    size_t size;
    size_t pos = 0;
    std::string file_name;
    std::string place = "KR::Texture::load";
};

// Reads from the file's current position to its end. A read error raises KR::ErrorFile
// "KR::Texture::load" ": errno!=0"; a buffer that cannot be had raises KR::ErrorMem.
// Little-endian fields of a header already taken from the reader.
inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::vector<uint8_t> ReadRestOfFile(std::FILE* file, std::string_view file_name);

}  // namespace KR
