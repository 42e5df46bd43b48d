// The grey image readers (PNG, PGM, r32): every kind of PNG ends as 16-bit grey, and hostile
// files are refused with a clear error before anything large is allocated.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/image/image_pgm.h"
#include "kr/image/image_png.h"
#include "kr/image/image_r32.h"

// Every allocation of the program passes here, so a reader that trusts a header shows.
static std::atomic<size_t> largest_allocation{0};

void* operator new(std::size_t size) {
    if (size > largest_allocation) largest_allocation = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// A PNG made by libpng itself, of the kinds our writer never makes. rows: packed rows.
std::string EncodePng(int w, int h, int colour, int depth, bool interlaced,
                      std::vector<uint8_t> rows, std::vector<png_color> palette = {},
                      const char* text_key = nullptr) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, colour,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    std::string key = text_key ? text_key : "", value = "7";
    png_text text{};
    text.key = key.data();
    text.text = value.data();
    if (text_key) png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (int y = 0; y < h; ++y)
        pointers.push_back(rows.data() + rows.size() / size_t(h) * size_t(y));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

KR::GreyImage ReadPngBytes(const std::string& bytes) {
    KR::ByteReader in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return KR::ReadPng(in);
}

TEST(GreyImageFiles, EveryKindOfPngBecomesSixteenBitGrey) {
    const std::vector<png_color> palette = {{0, 0, 0}, {255, 255, 255}, {100, 100, 100}};
    struct png_case {
        const char* what;
        int colour, depth;
        bool interlaced;
        std::vector<uint8_t> rows;  // 3 x 2 pixels
        std::vector<int> expected;
    };
    // clang-format off
    const png_case cases[] = {
        {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false, {0, 128, 255, 1, 2, 3},
         {0, 32896, 65535, 257, 514, 771}},
        {"grey 16 interlaced", PNG_COLOR_TYPE_GRAY, 16, true,
         {0x12, 0x34, 0, 0, 0xFF, 0xFF, 0, 1, 0x80, 0, 0xAB, 0xCD},
         {0x1234, 0, 0xFFFF, 1, 0x8000, 0xABCD}},
        {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false, {0xA0, 0x40}, {65535, 0, 65535, 0, 65535, 0}},
        {"palette", PNG_COLOR_TYPE_PALETTE, 8, true, {0, 1, 2, 2, 1, 0},
         {0, 65535, 25700, 25700, 65535, 0}},
        {"grey and alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false,
         {10, 0, 20, 255, 30, 9, 40, 1, 50, 2, 60, 3}, {2570, 5140, 7710, 10280, 12850, 15420}},
        // Luminance: red weighs about 0.21, as libpng rounds it.
        {"rgb", PNG_COLOR_TYPE_RGB, 8, false,
         {255, 255, 255, 0, 0, 0, 50, 50, 50, 255, 0, 0, 9, 9, 9, 1, 1, 1},
         {65535, 0, 12850, 13900, 2313, 257}},
    };
    // clang-format on
    for (const png_case& c : cases) {
        const KR::GreyImage image =
            ReadPngBytes(EncodePng(3, 2, c.colour, c.depth, c.interlaced, c.rows,
                                   c.colour == 3 ? palette : std::vector<png_color>{}));
        ASSERT_EQ(image.width * image.height, 6) << c.what;
        EXPECT_FALSE(image.has_range) << c.what;
        for (size_t k = 0; k < 6; ++k)
            EXPECT_NEAR(image.pixels[k], c.expected[k], 64) << c.what << " " << k;
    }
}

TEST(GreyImageFiles, HostileFilesAreRefusedBeforeAnythingLargeIsAllocated) {
    using reader = std::function<void(KR::ByteReader&)>;
    const reader png = [](KR::ByteReader& in) { KR::ReadPng(in); };
    const reader pgm = [](KR::ByteReader& in) { KR::ReadPgm(in); };
    auto r32 = [](int w, int h) {
        return reader([=](KR::ByteReader& in) { KR::ReadR32(in, w, h); });
    };
    const std::string good = EncodePng(1, 1, PNG_COLOR_TYPE_GRAY, 16, false, {1, 2});
    // IHDR fields patched, with the chunk's CRC made right again.
    auto ihdr = [&good](const std::string& fields, size_t at) {
        std::string s = good;
        s.replace(16 + at, fields.size(), fields);
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data() + 12), 17));
        for (int k = 0; k < 4; ++k)
            s[29 + k] = char(crc >> (24 - 8 * k));
        return s;
    };
    const std::string huge("\x00\x01\x86\xA0\x00\x01\x86\xA0", 8);  // 100000 x 100000
    const std::string pgm_rows(100, 'x');
    const std::string nan("\x00\x00\xC0\x7F", 4);
    struct hostile {
        reader read;
        std::string bytes;
        const char* error;
    };
    const hostile cases[] = {
        {png, "GIF89a" + std::string(30, '\0'), "KR::ReadPng: Not a PNG file."},
        {png, ihdr(huge, 0), "KR::ReadPng: The file is too short for its image size."},
        {png, ihdr("\x03", 8), "KR::ReadPng: "},  // bit depth 3
        // A text chunk of 600 MB in 48 bytes.
        {png, good.substr(0, 33) + std::string("\x24\0\0\x09tEXtqor:min", 15),
         "KR::ReadPng: A chunk runs past the file's end."},
        {png, EncodePng(1, 1, 0, 8, false, {1}, {}, "qor:min"), "KR::ReadPng: Bad height range."},
        {pgm, "P6\n1 1\n255\n\1\2\3", "KR::ReadPgm: Not a greymap (P5 or P2)."},
        {pgm, "P5\n2 2\n0\n1234", "KR::ReadPgm: Bad maxval (1 ... 65535)."},
        {pgm, "P5\n100000 100000\n65535\n" + pgm_rows,
         "KR::ReadPgm: The file is too short for its image size."},
        {pgm, "P5\n3 2\n255\n12345", "KR::ReadPgm: The file is too short for its image size."},
        {pgm, "P2\n2 2\n255\n1 2 3", "KR::ReadPgm: The file is too short for its image size."},
        {pgm, "P5\n99999999999 2\n255\n", "KR::ReadPgm: Bad image size."},
        {pgm, "P5\n3 x 255\n", "KR::ReadPgm: Bad greymap header."},
        {pgm, "P5\n# qor:min=2 qor:max=1\n1 1\n255\n\1", "KR::ReadPgm: Bad height range."},
        {pgm, "P5\n# qor:min=nan qor:max=1\n1 1\n255\n\1", "KR::ReadPgm: Bad height range."},
        {r32(0, 0), "0123456789", "KR::ReadR32: The length is not a whole number of heights."},
        {r32(0, 0), "012345678901", "KR::ReadR32: The heights are not square: give the size."},
        {r32(4, 4), "012345678901", "KR::ReadR32: The size does not match the file's length."},
        {r32(100000, 100000), "0123", "KR::ReadR32: The size does not match the file's length."},
        {r32(1, 1), nan, "KR::ReadR32: A height is not a number."},
    };
    for (const hostile& c : cases) {
        KR::ByteReader in(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
        largest_allocation = 0;
        try {
            c.read(in);
            ADD_FAILURE() << "read: " << c.error;
        } catch (const KR::ErrorFile& e) {
            EXPECT_EQ(e.Message().rfind(c.error, 0), 0u) << e.Message();
        }
        EXPECT_LT(largest_allocation, size_t(1) << 16) << c.error;
    }
    // Every shorter prefix of a good PNG is refused.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_THROW(ReadPngBytes(good.substr(0, n)), KR::ErrorFile) << n;
}

}  // namespace
