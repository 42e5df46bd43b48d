// The BMP reader: uncompressed bitmaps of 8 (palettised), 16 (5-5-5) and 24 bits per pixel.
// The pixel rows start at the offset the file header gives, each padded to whole 32-bit
// words; anything after them (a colour profile, say) is not read.

#include <cstdint>
#include <cstring>

#include "kr/image/texture.h"

namespace KR {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

uint8_t Expand5(uint32_t c) {
    return static_cast<uint8_t>(c << 3 | c >> 2);
}

}  // namespace

void Texture::load_bmp(ByteReader& in, const TextureDefaults& env, int side) {
    constexpr const char* kPlace = "KR::Texture::load_bmp";
    start_side(in, kPlace, side);

    const size_t start = in.Position();
    const uint32_t pixel_offset = Le32(in.Take(kFileHeaderSize) + 10);
    const uint8_t* info = in.Take(kInfoHeaderSize);
    const uint32_t info_size = Le32(info);
    const auto w = static_cast<int32_t>(Le32(info + 4));
    const auto stored_h = static_cast<int32_t>(Le32(info + 8));
    const uint16_t planes = Le16(info + 12);
    const uint16_t bits = Le16(info + 14);
    const uint32_t compression = Le32(info + 16);
    uint32_t colours = Le32(info + 32);

    if (bits != 8 && bits != 16 && bits != 24) in.Fail(": unknow color resolution");
    if (planes != 1) in.Fail(": unknow color resolution");
    if (compression != 0) in.Fail(": Compressed bitmap not supported.");
    if (info_size < kInfoHeaderSize) in.Fail(": Bad bitmap header.");
    // A negative height marks rows stored top row first.
    if (w <= 0 || stored_h == 0 || stored_h == INT32_MIN) in.Fail(": Bad image size.");
    const bool top_down = stored_h < 0;
    const int32_t h = top_down ? -stored_h : stored_h;

    // Later header versions are longer; the palette follows whichever header there is.
    in.Seek(start + kFileHeaderSize);
    in.Take(info_size);
    uint8_t palette[256 * 4] = {};
    if (bits == 8) {
        if (colours == 0) colours = 256;
        if (colours > 256) in.Fail(": Bad palette size.");
        std::memcpy(palette, in.Take(colours * 4), colours * 4);
    }

    const uint64_t stride = (uint64_t(w) * bits + 31) / 32 * 4;
    const uint64_t image_bytes = stride * uint64_t(h);
    if (image_bytes > in.Remaining()) in.Fail();
    // The rows start where the file header says. Writers that leave that offset short of the
    // headers and palette (0, say) put the rows at the end of the file, where they are taken.
    const uint64_t rows_at = start + uint64_t(pixel_offset);
    if (rows_at < in.Position())
        in.Seek(in.Size() - image_bytes);
    else if (rows_at <= in.Size() && image_bytes <= in.Size() - rows_at)
        in.Seek(rows_at);
    else
        in.Fail();
    const uint8_t* pixels = in.Take(image_bytes);
    uint8_t* out = begin_side(in, kPlace, side, w, h);

    for (int32_t y = 0; y < h; ++y) {
        const int32_t file_row = top_down ? h - 1 - y : y;
        const uint8_t* src = pixels + stride * uint64_t(file_row);
        uint8_t* dst = out + size_t(y) * size_t(w) * 4;
        for (int32_t x = 0; x < w; ++x, dst += 4) {
            if (bits == 8) {
                const uint8_t index = src[x];
                dst[0] = palette[index * 4 + 2];
                dst[1] = palette[index * 4 + 1];
                dst[2] = palette[index * 4];
                dst[3] = PaletteAlpha(index, env);
            } else if (bits == 16) {
                const uint32_t v = Le16(src + size_t(x) * 2);
                dst[0] = Expand5(v >> 10 & 31);
                dst[1] = Expand5(v >> 5 & 31);
                dst[2] = Expand5(v & 31);
                dst[3] = 255;
            } else {
                const uint8_t* p = src + size_t(x) * 3;
                dst[0] = p[2];
                dst[1] = p[1];
                dst[2] = p[0];
                dst[3] = 255;
            }
        }
    }
}

}  // namespace KR
