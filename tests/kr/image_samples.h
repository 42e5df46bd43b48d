#pragma once
// Small image files built byte by byte in memory, for the texture tests and the fuzz corpus.

#include <cstdint>
#include <string>
#include <vector>

namespace QorTest {

// v as n little-endian bytes.
inline void Put(std::string& s, int n, uint32_t v) {
    for (int i = 0; i < n; ++i)
        s += static_cast<char>(v >> 8 * i & 0xFF);
}

// A CEL file: palette of 256 x (r, g, b) values 0..63, indices rows top-down.
inline std::string CelBytes(int w, int h, const std::vector<uint8_t>& palette,
                            const std::vector<uint8_t>& indices) {
    std::string s = "\x19\x91";
    for (int v : {w, h, 0, 0})
        Put(s, 2, v);
    s.append("\x08\x00", 2);  // 8 bits per pixel, no compression
    Put(s, 4, static_cast<uint32_t>(indices.size()));
    s.append(16, '\0');
    for (int i = 0; i < 768; ++i)
        s += static_cast<char>(i < int(palette.size()) ? palette[i] : 0);
    return s.append(indices.begin(), indices.end());
}

// A TEX file with the given header sizes and texels (buffer order).
inline std::string TexBytes(int32_t w, int32_t h, const std::vector<uint8_t>& texels,
                            const char* magic = "2D TEX") {
    std::string s(magic);
    s.resize(12, '\0');
    for (int32_t v : {w, h, 0})
        Put(s, 4, static_cast<uint32_t>(v));
    return s.append(texels.begin(), texels.end());
}

struct BmpSample {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top row first
    uint16_t bits = 24;
    uint16_t planes = 1;
    uint32_t compression = 0;
    uint32_t colours_used = 0;          // as written in the header
    std::vector<uint8_t> palette = {};  // blue, green, red, reserved per entry
    std::vector<uint8_t> rows = {};     // unpadded rows in file order; none: the headers only
    uint32_t info_size = 40;            // longer headers are filled up with 0xAB
    char pad = '\xEE';                  // row padding, not zero so that reading it shows
    uint32_t resolution = 2835;         // pixels per metre, both ways
};

inline std::string BmpBytes(const BmpSample& b) {
    const uint32_t w = b.width > 0 ? static_cast<uint32_t>(b.width) : 0;
    const uint32_t row = w * b.bits / 8, stride = (w * b.bits + 31) / 32 * 4;
    const uint32_t rows = b.height < 0 ? 0u - uint32_t(b.height) : uint32_t(b.height);
    const uint32_t info = b.info_size > 40 ? b.info_size : 40;
    const uint32_t offset = 14 + info + static_cast<uint32_t>(b.palette.size());
    std::string s = "BM";
    for (uint32_t v :
         {offset + stride * rows, 0u, offset, b.info_size, uint32_t(b.width), uint32_t(b.height)})
        Put(s, 4, v);
    Put(s, 2, b.planes);
    Put(s, 2, b.bits);
    for (uint32_t v :
         {b.compression, stride * rows, b.resolution, b.resolution, b.colours_used, 0u})
        Put(s, 4, v);
    s.append(info - 40, '\xAB');
    s.append(b.palette.begin(), b.palette.end());
    for (uint32_t y = 0; !b.rows.empty() && y < rows; ++y) {
        for (uint32_t x = 0; x < row; ++x) {
            const size_t at = size_t(y) * row + x;
            s += static_cast<char>(at < b.rows.size() ? b.rows[at] : 0);
        }
        s.append(stride - row, b.pad);
    }
    return s;
}

// A few valid images of every kind the readers take.
inline std::vector<std::string> ValidSamples() {
    std::vector<uint8_t> palette(768);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<uint8_t>(i * 7 % 64);
    const std::vector<uint8_t> rows = {0, 1, 2, 3, 0, 1, 2, 3, 0,
                                       1, 2, 3, 0, 1, 2, 3, 0, 1};  // 3 x 2 x 3
    return {CelBytes(3, 2, palette, {0, 1, 2, 3, 4, 5}),
            TexBytes(2, 2, std::vector<uint8_t>(16, 0x5A)),
            TexBytes(1, 1, {1, 2, 3, 4}, "3D TEX"),
            BmpBytes({.width = 3,
                      .height = 2,
                      .bits = 8,
                      .colours_used = 4,
                      .palette = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0},
                      .rows = rows}),
            BmpBytes({.width = 3, .height = -2, .bits = 16, .rows = rows}),
            BmpBytes({.width = 3, .height = 2, .rows = rows})};
}

}  // namespace QorTest
