#include "kr/image/texture.h"

#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "kr/image/cube_name.h"
#include "kr/base/error.h"
#include "kr/base/regular_file.h"

namespace KR {
namespace {

uint32_t ClampedSize(size_t bytes) {
    return bytes > std::numeric_limits<uint32_t>::max() ? 0u : static_cast<uint32_t>(bytes);
}

// Closes the file on every path out of load and save.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

void (*Texture::object_release)(uint32_t texture_name) = nullptr;

void Texture::release_texture_object() {
    if (texture_name != 0 && object_release) object_release(texture_name);
    texture_name = 0;
}

void Texture::reset(const TextureDefaults* defaults) {
    release_texture_object();
    data.reset();
    width = height = depth = 0;
    tile_width = tile_height = 0;
    if (defaults) {
        format = defaults->format;
        wrap_s = wrap_t = wrap_r = defaults->wrap;
        mag_filter = defaults->mag_filter;
        min_filter = defaults->min_filter;
    } else {
        format = kGlRgba;
        wrap_s = wrap_t = wrap_r = kGlRepeat;
        mag_filter = min_filter = kGlNearest;
    }
}

void Texture::set_format(uint32_t new_format, uint32_t new_target, int32_t w, int32_t h,
                         int32_t d) {
    reset();
    format = new_format;
    target = new_target;
    width = w;
    height = h;
    depth = d;
}

void Texture::set_wrap(uint32_t s, uint32_t t, uint32_t r) {
    wrap_s = s;
    wrap_t = t;
    wrap_r = r;
}

void Texture::set_filter(uint32_t min, uint32_t mag) {
    min_filter = min;
    mag_filter = mag;
}

void Texture::load(uint32_t new_target, const char* file_name, const TextureDefaults& env) {
    target = new_target;
    const std::string pattern = file_name ? file_name : "";
    const int sides = target == kGlTextureCubeMap ? kCubeSides : 1;
    for (int side = 0; side < sides; ++side) {
        // Only a cube map's name is a pattern; any other name is taken as it is.
        const std::string name =
            target == kGlTextureCubeMap ? FormatCubeSideName(pattern, side) : pattern;
        size_t size = 0;
        FilePtr file(OpenRegularFile(name.c_str(), size));
        if (!file) throw ErrorFile("KR::Texture::load", ": Can't open file (cube).", name);
        ByteReader in(file.get(), size, name);
        load_image(in, env, side);
    }
}

void Texture::load_image(ByteReader& in, const TextureDefaults& env, int side) {
    const size_t start = in.Position();
    const uint8_t* head = in.Take(in.Remaining() < 10 ? in.Remaining() : 10);
    const size_t n = in.Position() - start;
    in.Seek(start);
    if (n >= 2 && head[0] == 0x19 && head[1] == 0x91) return load_cel(in, env, side);
    if (n >= 7 && (std::memcmp(head, "2D TEX", 7) == 0 || std::memcmp(head, "3D TEX", 7) == 0))
        return load_tex(in, env, side);
    if (n >= 2 && head[0] == 'B' && head[1] == 'M') return load_bmp(in, env, side);
    throw ErrorFile("KR::Texture::load", ": Unknown file type.", in.FileName());
}

void Texture::start_side(ByteReader& in, const char* place, int side) {
    in.SetPlace(place);
    if (side < 0 || side >= kCubeSides) throw Error(place, ": Cube map with different sides!");
    // A later side can only go into the six-side buffer that side 0 of a cube map made.
    if (side > 0 && (target != kGlTextureCubeMap || !data))
        throw Error(place, ": Cube map with different sides!");
    if (side == 0) reset();
}

uint8_t* Texture::begin_side(ByteReader& in, const char* place, int side, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) in.Fail(": Bad image size.");
    if (side > 0) {
        if (w != width || h != height) throw Error(place, ": Cube map with different sides!");
        return data.get() + side_bytes() * size_t(side);
    }
    const bool cube = target == kGlTextureCubeMap;
    const size_t bytes = size_t(w) * size_t(h) * 4 * (cube ? kCubeSides : 1);
    data.reset(new (std::nothrow) uint8_t[bytes]);
    if (!data)
        throw ErrorMem(place, cube ? ": data=new UByte [w*h*4*6];" : ": data=new UByte [w*h*4];",
                       ClampedSize(bytes));
    width = w;
    height = h;
    return data.get();
}

void Texture::save(const char* file_name, int file_type) const {
    // Refused before opening, so an unknown type does not truncate an existing file.
    if (file_type != kTexFileType) throw Error("KR::Texture::save", ": Unknown file type.");
    const std::string name = file_name ? file_name : "";
    FilePtr file(std::fopen(name.c_str(), "wb"));
    if (!file) throw ErrorFile("KR::Texture::save", ": Can't open file.", name);
    save_tex(file.get());
    // A full disk may only show when the buffered bytes are flushed.
    if (std::fclose(file.release()) != 0)
        throw Error("KR::Texture::save_tex", ": Can't write to file.");
}

void Texture::save_tex(std::FILE* file) const {
    constexpr const char* kPlace = "KR::Texture::save_tex";
    if (width < 0 || height < 0 || (side_bytes() > 0 && !data)) throw Error(kPlace, ": no data!");
    uint8_t header[24] = {'2', 'D', ' ', 'T', 'E', 'X'};
    for (int i = 0; i < 4; ++i) {
        header[12 + i] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (8 * i));
        header[16 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));
    }
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header ||
        (side_bytes() > 0 && std::fwrite(data.get(), 1, side_bytes(), file) != side_bytes()))
        throw Error(kPlace, ": Can't write to file.");
}

}  // namespace KR
