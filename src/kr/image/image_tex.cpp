// The TEX reader: a 24-byte header ("2D TEX" or "3D TEX", width, height) and the texels in
// buffer order. A "3D TEX" file is read as one layer.

#include <cstdint>
#include <cstring>

#include "kr/image/texture.h"

namespace KR {

void Texture::load_tex(ByteReader& in, const TextureDefaults& /*env*/, int side) {
    constexpr const char* kPlace = "KR::Texture::load_tex";
    start_side(in, kPlace, side);

    const uint8_t* header = in.Take(24);
    const auto w = static_cast<int32_t>(Le32(header + 12));
    const auto h = static_cast<int32_t>(Le32(header + 16));
    if (w <= 0 || h <= 0) in.Fail(": Bad image size.");
    // Divided rather than multiplied, so no product can overflow.
    if (size_t(w) > in.Remaining() / 4 / size_t(h)) in.Fail();
    const uint8_t* texels = in.Take(size_t(w) * size_t(h) * 4);
    uint8_t* out = begin_side(in, kPlace, side, w, h);
    std::memcpy(out, texels, side_bytes());
}

}  // namespace KR
