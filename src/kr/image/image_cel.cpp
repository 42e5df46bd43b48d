// The CEL reader: an 800-byte header with a 6-bit palette, then one palette index per
// pixel, rows top-down.

#include <algorithm>
#include <cstdint>

#include "kr/image/texture.h"

namespace KR {

void Texture::load_cel(ByteReader& in, const TextureDefaults& env, int side) {
    constexpr const char* kPlace = "KR::Texture::load_cel";
    constexpr size_t kHeaderSize = 800;
    constexpr size_t kPaletteAt = 32;
    start_side(in, kPlace, side);

    const uint8_t* header = in.Take(kHeaderSize);
    const int32_t w = Le16(header + 2);
    const int32_t h = Le16(header + 4);
    if (header[10] != 8) in.Fail(": unknow color resolution");
    if (header[11] != 0) in.Fail(": Unknown compression.");
    // The whole 32-bit length counts, so images of more than 65535 pixels load as well.
    const uint32_t length = Le32(header + 12);
    // Palette values are 0..63; larger ones would wrap round, so they saturate instead. Taken
    // before the pixels, whose reading may move the header's bytes.
    uint8_t palette[256 * 3];
    for (int i = 0; i < 256 * 3; ++i)
        palette[i] = static_cast<uint8_t>(
            std::min(255, static_cast<int>(header[kPaletteAt + i] / 64.0 * 255.0)));
    if (length > in.Remaining()) in.Fail();
    if (w == 0 || h == 0) in.Fail(": Bad image size.");
    if (uint64_t(w) * uint64_t(h) > length) in.Fail();
    const uint8_t* pixels = in.Take(length);
    uint8_t* out = begin_side(in, kPlace, side, w, h);

    for (int32_t row = h - 1; row >= 0; --row) {
        const uint8_t* src = pixels + size_t(row) * size_t(w);
        for (int32_t x = 0; x < w; ++x, out += 4) {
            const uint8_t index = src[x];
            out[0] = palette[index * 3];
            out[1] = palette[index * 3 + 1];
            out[2] = palette[index * 3 + 2];
            out[3] = PaletteAlpha(index, env);
        }
    }
}

}  // namespace KR
