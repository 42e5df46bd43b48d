#pragma once
// Bounds-checked little-endian reading of an image file. Every read that would pass the end
// raises KR::ErrorFile with the reader's place and ": errno!=0", the same error a short read
// from the file would give.
//
// The bytes are either held in memory already or come from an open regular file, which is
// read only as far as the reader asks: a file of any length costs no more memory than the
// part of it its header describes.

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
        : bytes(bytes), size(size), loaded(size), file_name(file_name) {}
    // Reads from an open regular file of file_size bytes, from its current position on.
    ByteReader(std::FILE* file, size_t file_size, std::string_view file_name);

    // The place later errors name, e.g. "KR::Texture::load_bmp".
    void SetPlace(std::string_view reader_place) { place = reader_place; }

    size_t Size() const { return size; }
    size_t Position() const { return pos; }
    size_t Remaining() const { return size - pos; }
    const std::string& FileName() const { return file_name; }

    // Answers the next n bytes and moves past them. The pointer stays valid until the next
    // Take: a file-backed reader may move its buffer when it reads further.
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
    // Reads the file on until the first `end` bytes are in memory.
    void Load(size_t end);

    const uint8_t* bytes;
    size_t size;
    size_t loaded;  // bytes from the start that are in memory
    size_t pos = 0;
    std::FILE* file = nullptr;
    std::vector<uint8_t> buffer;  // a file-backed reader's bytes
    std::string file_name;
    std::string place = "KR::Texture::load";
};

// Little-endian fields of a header already taken from the reader.
inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace KR
