// Fuzz entry for the image readers: the bytes are read as a 2D texture, as the six sides of a
// cube map and as each kind of height map. Refusals are KR::Error; anything else (a crash, a
// sanitizer report, an escaping exception) is a finding.

#include <cstddef>
#include <cstdint>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/image/image_pgm.h"
#include "kr/image/image_png.h"
#include "kr/image/image_r32.h"
#include "kr/image/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const KR::TextureDefaults env;
    KR::Texture texture;
    try {
        KR::ByteReader in(data, size, "fuzz input");
        texture.load_image(in, env, 0);
    } catch (const KR::Error&) {
    }
    try {
        texture.target = KR::kGlTextureCubeMap;
        for (int side = 0; side < KR::Texture::kCubeSides; ++side) {
            KR::ByteReader in(data, size, "fuzz input");
            texture.load_image(in, env, side);
        }
    } catch (const KR::Error&) {
    }
    for (int kind = 0; kind < 3; ++kind) {
        try {
            KR::ByteReader in(data, size, "fuzz input");
            if (kind == 0) KR::ReadPng(in);
            if (kind == 1) KR::ReadPgm(in);
            if (kind == 2) KR::ReadR32(in);
        } catch (const KR::Error&) {
        }
    }
    return 0;
}
