#include "kr/image/image_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/base/regular_file.h"
#include "kr/base/replacing_file.h"

// libpng reports failures by a long jump. The functions that call setjmp below hold nothing
// that needs destroying, so the jump skips no destructor; the C++ around them does the rest.

namespace KR {
namespace {

constexpr const char* kReadPlace = "KR::ReadPng";
constexpr const char* kWritePlace = "KR::WritePng";
// Deflate makes at most 1032 bytes of one: a file cannot hold more image data than that.
constexpr uint64_t kDeflateRatio = 1032;
constexpr const char* kLowKey = "qor:min";
constexpr const char* kHighKey = "qor:max";

struct png_failure {
    char text[160] = "";
};

void OnError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<png_failure*>(png_get_error_ptr(png));
    std::snprintf(failure->text, sizeof failure->text, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t n) {
    ByteReader& in = *static_cast<ByteReader*>(png_get_io_ptr(png));
    bool read = n <= in.Remaining();
    if (read) {
        try {
            std::memcpy(out, in.Take(n), n);
        } catch (...) {
            read = false;
        }
    }
    if (!read) png_error(png, "The file ends early.");
}

bool ReadInfo(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    return true;
}

// One 16-bit grey sample per pixel in the machine's byte order, whatever the file holds.
bool AskForGrey16(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_expand_16(png);
    png_set_strip_alpha(png);
    if (png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR)
        png_set_rgb_to_gray(png, PNG_ERROR_ACTION_NONE, -1, -1);
    png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPixels(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

struct png_reading {
    png_failure failure;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~png_reading() { png_destroy_read_struct(&png, &info, nullptr); }
};

void ReadRange(const ByteReader& in, png_structp png, png_infop info, GreyImage& image) {
    png_textp texts = nullptr;
    const int count = png_get_text(png, info, &texts, nullptr);
    int found = 0, good = 0;  // bit 0: the low end, bit 1: the high end
    for (int k = 0; k < count; ++k) {
        const std::string_view value(texts[k].text, texts[k].text_length);
        for (int end = 0; end < 2; ++end) {
            if (std::strcmp(texts[k].key, end ? kHighKey : kLowKey) != 0) continue;
            found |= 1 << end;
            if (ReadRangeValue(value, end ? image.high : image.low)) good |= 1 << end;
        }
    }
    if (found != good || found == 1 || found == 2 || image.low > image.high)
        in.Fail(": Bad height range.");
    image.has_range = found == 3;
}

// libpng allocates room for a chunk before it reads it, at the length the chunk claims:
// every chunk up to IEND must lie within the file.
void CheckChunks(ByteReader& in) {
    const size_t start = in.Position();
    for (bool end = false; !end;) {
        if (in.Remaining() < 12) in.Fail(": The file ends early.");
        const uint8_t* head = in.Take(8);
        const uint32_t length = png_get_uint_32(head);
        end = std::memcmp(head + 4, "IEND", 4) == 0;
        if (uint64_t(length) + 4 > in.Remaining()) in.Fail(": A chunk runs past the file's end.");
        in.Seek(in.Position() + length + 4);
    }
    in.Seek(start);
}

}  // namespace

GreyImage ReadPng(ByteReader& in) {
    in.SetPlace(kReadPlace);
    if (in.Remaining() < 8 || png_sig_cmp(in.Take(8), 0, 8) != 0) in.Fail(": Not a PNG file.");
    CheckChunks(in);
    png_reading r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.failure, OnError, OnWarning);
    if (r.png) r.info = png_create_info_struct(r.png);
    if (!r.info) throw ErrorMem(kReadPlace, ": png_create_read_struct");
    png_set_read_fn(r.png, &in, OnRead);
    png_set_sig_bytes(r.png, 8);
    auto fail = [&] { in.Fail(std::string(": ") + r.failure.text); };
    if (!ReadInfo(r.png, r.info)) fail();

    const png_uint_32 w = png_get_image_width(r.png, r.info);
    const png_uint_32 h = png_get_image_height(r.png, r.info);
    const uint64_t packed = uint64_t(h) * (png_get_rowbytes(r.png, r.info) + 1);
    if (packed / kDeflateRatio > in.Size()) in.Fail(": The file is too short for its image size.");
    if (uint64_t(w) * h > kLargestGreyImage) in.Fail(": Image too large.");
    if (!AskForGrey16(r.png, r.info)) fail();
    if (png_get_channels(r.png, r.info) != 1 || png_get_bit_depth(r.png, r.info) != 16 ||
        png_get_rowbytes(r.png, r.info) != size_t(w) * 2)
        in.Fail(": Unsupported kind of PNG.");

    GreyImage image;
    image.width = int(w);
    image.height = int(h);
    image.pixels.resize(size_t(w) * h);
    std::vector<png_bytep> rows(h);
    for (size_t y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<png_bytep>(image.pixels.data() + y * w);
    if (!ReadPixels(r.png, r.info, rows.data())) fail();
    ReadRange(in, r.png, r.info, image);
    return image;
}

GreyImage ReadPng(const char* file_name) {
    return ReadRegularFile(file_name, kReadPlace, [](ByteReader& in) { return ReadPng(in); });
}

namespace {

struct png_writing {
    png_failure failure;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~png_writing() { png_destroy_write_struct(&png, &info); }
};

bool WriteAll(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
              png_uint_32 height, png_textp texts, int text_count, png_bytepp rows, int level) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Neighbouring heights differ little: one cheap filter and a fast level compress them well.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, level);
    if (text_count > 0) png_set_text(png, info, texts, text_count);
    png_write_info(png, info);
    png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

void WritePng(const char* file_name, const GreyImage& image, int compression_level) {
    if (image.max_value != 65535 || image.width < 1 || image.height < 1 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height))
        throw ErrorParam(kWritePlace, ": Not a 16-bit grey image.");
    ReplacingFile out(file_name, kWritePlace);
    png_writing w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.failure, OnError, OnWarning);
    if (w.png) w.info = png_create_info_struct(w.png);
    if (!w.info) throw ErrorMem(kWritePlace, ": png_create_write_struct");

    std::string keys[2] = {kLowKey, kHighKey};
    std::string values[2] = {RangeText(image.low), RangeText(image.high)};
    png_text texts[2] = {};
    for (int k = 0; k < 2; ++k) {
        texts[k].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[k].key = keys[k].data();
        texts[k].text = values[k].data();
        texts[k].text_length = values[k].size();
    }
    std::vector<png_bytep> rows(size_t(image.height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = reinterpret_cast<png_bytep>(
            const_cast<uint16_t*>(image.pixels.data() + y * size_t(image.width)));
    if (!WriteAll(w.png, w.info, out.Get(), png_uint_32(image.width), png_uint_32(image.height),
                  texts, image.has_range ? 2 : 0, rows.data(), compression_level))
        throw ErrorFile(kWritePlace, std::string(": ") + w.failure.text, file_name);
    out.Commit();
}

}  // namespace KR
