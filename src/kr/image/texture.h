#pragma once
// One image in memory as 8-bit RGBA texels, rows bottom-up, with the parameters its OpenGL
// texture is created with. Images are read from CEL, TEX and BMP files, recognised by their
// first bytes, and written back as TEX.

#include <cstdint>
#include <cstdio>
#include <memory>

#include "kr/base/byte_reader.h"
#include "kr/base/named_resource.h"
#include "kr/image/texture_defaults.h"

namespace KR {

class Texture : public NamedResource {
  public:
    static constexpr int kCubeSides = 6;
    static constexpr int kTexFileType = 1;

    Texture() { reset(); }
    ~Texture() { release_texture_object(); }
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

    // --- OpenGL side: defined in kr_gl (src/kr/gl/), needs a current context ---

    // Takes format, wrap and filters from the environment's defaults and sets them on the
    // texture object when it exists.
    void apply_defaults(const TextureDefaults& env);
    // Rescales the buffer to power-of-two sides by the environment's rule (2D and cube maps).
    void scale_to_tex(const TextureDefaults& env);
    // Creates the OpenGL texture from `pixels` or, when none is given, from the own buffer,
    // scaling the own buffer first when a side is not a power of two.
    void build_texture(const TextureDefaults& env, const uint8_t* pixels = nullptr);
    void bind() const;
    // Reads the rectangle [x0, x1) x [y0, y1) of the current frame buffer into a new 2D
    // RGBA buffer.
    void get_from_buffer(int32_t x0, int32_t x1, int32_t y0, int32_t y1);
    // Deletes the OpenGL texture object, if any.
    void delete_texture_object();
    // --- end of the OpenGL side ---

    // Drawing helpers: a textured quad between two corners; the buffer as pixels at the
    // current (or a given) raster position, optionally zoomed; one tile of the buffer; a text
    // with this texture as a 16 x 16 character grid.
    void draw_quad(float x0, float y0, float x1, float y1) const;
    void draw_pixels() const;
    void draw_pixels(float x, float y, float zoom_x = 1.0f, float zoom_y = 1.0f) const;
    void draw_tile(int32_t column, int32_t row) const;
    void draw_text(float x, float y, float char_width, float char_height, const char* format,
                   ...) const __attribute__((format(printf, 6, 7)));

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

    // How a texture object is deleted; set by kr_gl when it makes the first one, so that
    // this library never calls OpenGL itself (a texture that never had an object needs none).
    static void (*object_release)(uint32_t texture_name);

  private:
    // Hands a texture object, if any, to object_release.
    void release_texture_object();

    // Every reader starts here: names the reader in errors, checks the side and resets the
    // texture for side 0.
    void start_side(ByteReader& in, const char* place, int side);
    // Readers call this once the size is checked against the file: side 0 allocates (six
    // sides for a cube map), later sides must match it. Answers where the side's texels go.
    uint8_t* begin_side(ByteReader& in, const char* place, int side, int32_t w, int32_t h);
};

}  // namespace KR
