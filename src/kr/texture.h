#pragma once
// One image in memory as 8-bit RGBA texels, rows bottom-up, with the parameters its OpenGL
// texture is created with. Images are read from CEL, TEX and BMP files, recognised by their
// first bytes, and written back as TEX.

#include <cstdint>
#include <cstdio>
#include <memory>

#include "kr/byte_reader.h"
#include "kr/named_resource.h"
#include "kr/texture_defaults.h"

namespace KR {

class Texture : public NamedResource {
  public:
    static constexpr int kCubeSides = 6;
    static constexpr int kTexFileType = 1;

    Texture() { reset(); }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Frees the buffer and zeroes the sizes; the parameters go to the fixed defaults
    // (RGBA, repeat, nearest) or, when given, to the environment's.
    void reset(const TextureDefaults* defaults = nullptr);
    void set_format(uint32_t new_format, uint32_t new_target, int32_t w, int32_t h, int32_t d);
    void set_wrap(uint32_t s, uint32_t t, uint32_t r);
    void set_filter(uint32_t min, uint32_t mag);

    // Loads one image, or for a cube map the six sides named by the pattern (one integer
    // directive such as %d, replaced by the side number 0..5).
    void load(uint32_t new_target, const char* file_name, const TextureDefaults& env);
    // Reads one image (cube side 0..5) from the bytes, choosing the reader by content.
    void load_image(ByteReader& in, const TextureDefaults& env, int side);
    void load_cel(ByteReader& in, const TextureDefaults& env, int side);
    void load_tex(ByteReader& in, const TextureDefaults& env, int side);
    void load_bmp(ByteReader& in, const TextureDefaults& env, int side);

    // Writes the texture; only file type 1 (TEX) is known.
    void save(const char* file_name, int file_type) const;
    void save_tex(std::FILE* file) const;

    // Bytes of one side (width x height x 4).
    size_t side_bytes() const { return size_t(width) * size_t(height) * 4; }

    std::unique_ptr<uint8_t[]> data;  // R, G, B, A per texel, bottom row first
    int32_t width = 0, height = 0, depth = 0;
    uint32_t target = kGlTexture2D;
    uint32_t format = kGlRgba;
    uint32_t wrap_s = kGlRepeat, wrap_t = kGlRepeat, wrap_r = kGlRepeat;
    uint32_t mag_filter = kGlNearest, min_filter = kGlNearest;
    int32_t tile_width = 0, tile_height = 0;
    uint32_t texture_name = 0;  // OpenGL texture object, 0 when none

  private:
    // Every reader starts here: names the reader in errors, checks the side and resets the
    // texture for side 0.
    void start_side(ByteReader& in, const char* place, int side);
    // Readers call this once the size is checked against the file: side 0 allocates (six
    // sides for a cube map), later sides must match it. Answers where the side's texels go.
    uint8_t* begin_side(ByteReader& in, const char* place, int side, int32_t w, int32_t h);
};

}  // namespace KR
