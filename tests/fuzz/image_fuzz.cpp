// Fuzz entry: the bytes as a 2D texture, as six cube sides and as each kind of height map.

#include <cstddef>
#include <cstdint>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/image/image_pgm.h"
#include "kr/image/image_png.h"
#include "kr/image/image_r32.h"
#include "kr/image/texture.h"

namespace {

// Refusals are KR::Error; anything else (a crash, a sanitizer report) is a finding.
template <class Read>
void Attempt(const uint8_t* data, size_t size, Read read) {
    try {
        KR::ByteReader in(data, size, "fuzz input");
        read(in);
    } catch (const KR::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const KR::TextureDefaults env;
    KR::Texture texture;
    Attempt(data, size, [&](KR::ByteReader& in) { texture.load_image(in, env, 0); });
    texture.target = KR::kGlTextureCubeMap;
    for (int side = 0; side < KR::Texture::kCubeSides; ++side)
        Attempt(data, size, [&](KR::ByteReader& in) { texture.load_image(in, env, side); });
    Attempt(data, size, [](KR::ByteReader& in) { KR::ReadPng(in); });
    Attempt(data, size, [](KR::ByteReader& in) { KR::ReadPgm(in); });
    Attempt(data, size, [](KR::ByteReader& in) { KR::ReadR32(in); });
    return 0;
}
