// The texture, grey height-map and bitmap readers and writers, and the rescaler.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"
#include "kr/error_text.h"
#include "kr/image/bmp_writer.h"
#include "kr/image/cube_name.h"
#include "kr/image/image_pgm.h"
#include "kr/image/image_png.h"
#include "kr/image/image_r32.h"
#include "kr/image/rgba_scale.h"
#include "kr/image/texture.h"
#include "kr/image_samples.h"
#include "support/test_files.h"

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

using QorTest::BmpBytes;
using QorTest::BmpSample;
using QorTest::CelBytes;
using QorTest::ErrorOf;
using QorTest::TexBytes;

const KR::TextureDefaults kEnv;

std::string WriteSample(const std::string& name, const std::string& bytes) {
    const std::string file = QorTest::ScratchFile(name);
    QorTest::WriteBytes(file, bytes);
    return file;
}

// A file loaded as a 2D texture: its size and R, G, B, A texels, or the file error's message.
struct Loaded {
    int w = 0, h = 0;
    std::vector<uint8_t> texels;
    std::string error;
};

Loaded LoadFile(const std::string& file, const KR::TextureDefaults& env = kEnv) {
    KR::Texture t;
    try {
        t.load(KR::kGlTexture2D, file.c_str(), env);
    } catch (const KR::ErrorFile& e) {
        EXPECT_EQ(e.file, file);
        return {0, 0, {}, e.Message()};
    }
    return {t.width, t.height, {t.data.get(), t.data.get() + t.side_bytes()}, ""};
}

// Index 1: red 63 (gives 251, not 255), index 2: (32, 1, 62), index 3: out of range.
std::vector<uint8_t> CelPalette() {
    std::vector<uint8_t> palette(768, 0);
    palette[3] = 63;
    palette[6] = 32, palette[7] = 1, palette[8] = 62;
    palette[9] = 200;
    return palette;
}

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
    png_text text{};
    text.key = const_cast<char*>(text_key);
    text.text = const_cast<char*>("7");
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

using Reader = std::function<void(KR::ByteReader&)>;
const Reader kTexture = [](KR::ByteReader& in) { KR::Texture().load_image(in, kEnv, 0); };
const Reader kPng = [](KR::ByteReader& in) { KR::ReadPng(in); };
const Reader kPgm = [](KR::ByteReader& in) { KR::ReadPgm(in); };
Reader R32(int w, int h) {
    return [=](KR::ByteReader& in) { KR::ReadR32(in, w, h); };
}

// The reader's file error on the bytes ("" if none), raised before anything large is allocated.
std::string Refusal(const Reader& read, const std::string& bytes) {
    KR::ByteReader in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    largest_allocation = 0;
    try {
        read(in);
    } catch (const KR::ErrorFile& e) {
        EXPECT_LT(largest_allocation, size_t(1) << 16) << e.Message();
        return e.Message();
    }
    return "";
}

TEST(TextureFiles, GoodFilesDecodeTexelForTexel) {
    const std::vector<uint8_t> palette = CelPalette();
    std::vector<uint8_t> big(300 * 300, 1);
    big[0] = 2;  // the top-left pixel ends in the last row of the buffer
    std::vector<uint8_t> big_texels;
    for (int i = 0; i < 300 * 300; ++i)
        big_texels.insert(big_texels.end(), {251, 0, 0, 255});
    std::copy_n(std::begin({127, 3, 247, 255}), 4, big_texels.end() - 300 * 4);

    const std::vector<uint8_t> bgr = {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255};
    const std::string rgb = BmpBytes({.width = 2, .rows = {1, 2, 3, 4, 5, 6}});
    std::string no_offset = rgb;
    no_offset.replace(10, 4, std::string(4, '\0'));
    const uint16_t mixed = 31 << 10 | 16 << 5 | 1;  // red 31, green 16, blue 1
    struct Case {
        std::string bytes;
        int w, h;
        std::vector<uint8_t> texels;
    };
    // clang-format off
    const Case cases[] = {
        // CEL rows top-down in the file: (1 2) over (0 3); index 0 is transparent.
        {CelBytes(2, 2, palette, {1, 2, 0, 3}), 2, 2, {0, 0, 0, 0, 255, 0, 0, 255, 251, 0, 0, 255, 127, 3, 247, 255}},
        {CelBytes(300, 300, palette, big), 300, 300, big_texels},  // a 32-bit data length
        {TexBytes(1, 1, {9, 8, 7, 6}, "3D TEX"), 1, 1, {9, 8, 7, 6}},  // one layer
        // Later header versions: the palette follows the whole header.
        {BmpBytes({.width = 2, .bits = 8, .colours_used = 2, .palette = {10, 20, 30, 0, 40, 50, 60, 0}, .rows = {1, 0},
                   .info_size = 124}), 2, 1, {60, 50, 40, 255, 30, 20, 10, 0}},
        {BmpBytes({.width = 3, .bits = 16, .rows = {uint8_t(mixed), uint8_t(mixed >> 8), 0xFF, 0x7F, 0, 0}}), 3, 1,
         {255, 132, 8, 255, 255, 255, 255, 255, 0, 0, 0, 255}},
        // A negative height stores the top row first; the buffer stays bottom-up.
        {BmpBytes({.width = 2, .height = 2, .rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}), 2, 2, bgr},
        {BmpBytes({.width = 2, .height = -2, .rows = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}}), 2, 2, bgr},
        // Bytes after the rows change nothing; an offset short of the headers: the rows end the file.
        {rgb + std::string(300, 'P'), 2, 1, {3, 2, 1, 255, 6, 5, 4, 255}},
        {no_offset, 2, 1, {3, 2, 1, 255, 6, 5, 4, 255}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const Loaded l = LoadFile(WriteSample("sample.img", c.bytes));
        EXPECT_EQ(l.w * 1000 + l.h, c.w * 1000 + c.h) << l.error;  // an error leaves 0 x 0
        EXPECT_TRUE(l.texels == c.texels);
    }
    KR::TextureDefaults opaque;
    opaque.transparent_index = -1;
    EXPECT_EQ(LoadFile(WriteSample("opaque.cel", cases[0].bytes), opaque).texels[3], 255);
    // Every row padding of 8 bits; 'colours used' 0 means 256, and our own writer says 256.
    for (int32_t w = 1; w <= 4; ++w) {
        SCOPED_TRACE(w);
        BmpSample b{.width = w, .height = 3, .bits = 8, .colours_used = w == 4 ? 256u : 0u};
        for (int i = 0; i < 256; ++i)
            b.palette.insert(b.palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
        std::vector<uint8_t> want;
        for (int i = 0; i < w * 3; ++i) {
            const uint8_t index = static_cast<uint8_t>(i * 37);
            b.rows.push_back(index);
            want.insert(want.end(), {uint8_t(index / 2), uint8_t(255 - index), index,
                                     uint8_t(index == 0 ? 0 : 255)});
        }
        EXPECT_EQ(LoadFile(WriteSample("sample.bmp", BmpBytes(b))).texels, want);
    }
}

TEST(ImageFiles, BadFilesAreRefusedWithTheReadersTextBeforeAnythingLargeIsAllocated) {
    const std::vector<uint8_t> palette = CelPalette();
    auto bmp = [](BmpSample b) {
        b.rows = {0x40};
        return BmpBytes(b);
    };
    auto cel = [&](size_t at, char value) {
        std::string s = CelBytes(2, 2, palette, {1, 1, 1, 1});
        s[at] = value;
        return s;
    };
    auto huge = [](int32_t w, int32_t h) {  // claimed by a 25 KB file
        return BmpBytes({.width = w, .height = h}).append(25 * 1024 - 54, '\x11');
    };
    std::string far = bmp({}), beyond = bmp({});
    far[10] = static_cast<char>(far[10] + 1);  // the rows would not fit after the offset
    beyond.replace(10, 4, "\xFF\xFF\xFF\xFF");
    const std::string good_png = EncodePng(1, 1, PNG_COLOR_TYPE_GRAY, 16, false, {1, 2});
    // IHDR fields patched, with the chunk's CRC made right again.
    auto ihdr = [&good_png](const std::string& fields, size_t at) {
        std::string s = good_png;
        s.replace(16 + at, fields.size(), fields);
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data() + 12), 17));
        for (int k = 0; k < 4; ++k)
            s[29 + k] = char(crc >> (24 - 8 * k));
        return s;
    };
    const std::string cel_ = "KR::Texture::load_cel: ", bmp_ = "KR::Texture::load_bmp: ",
                      tex_ = "KR::Texture::load_tex: ", png_ = "KR::ReadPng: ",
                      pgm_ = "KR::ReadPgm: ", r32_ = "KR::ReadR32: ",
                      unknown = "KR::Texture::load: Unknown file type.",
                      bad_depth = bmp_ + "unknow color resolution", bmp_short = bmp_ + "errno!=0",
                      pgm_short = pgm_ + "The file is too short for its image size.";
    struct Case {
        const Reader& read;
        std::string bytes, error;  // an error ending in a blank: the start of the text
    };
    // clang-format off
    const Case cases[] = {
        {kTexture, "GIF89a....", unknown}, {kTexture, "", unknown}, {kTexture, "2D TEX", unknown},  // the last without its NUL
        {kTexture, cel(10, 4), cel_ + "unknow color resolution"},
        {kTexture, cel(11, 1), cel_ + "Unknown compression."},
        {kTexture, cel(12, 5), cel_ + "errno!=0"},  // one byte more than the file has
        {kTexture, CelBytes(3, 3, palette, {1, 1, 1, 1}), cel_ + "errno!=0"},
        {kTexture, CelBytes(0, 3, palette, {}), cel_ + "Bad image size."},
        {kTexture, bmp({.bits = 32}), bad_depth}, {kTexture, bmp({.bits = 4}), bad_depth}, {kTexture, bmp({.planes = 2}), bad_depth},
        {kTexture, bmp({.compression = 1}), bmp_ + "Compressed bitmap not supported."},
        {kTexture, bmp({.info_size = 12}), bmp_ + "Bad bitmap header."}, {kTexture, bmp({.width = -2}), bmp_ + "Bad image size."},
        {kTexture, bmp({.width = 0}), bmp_ + "Bad image size."}, {kTexture, bmp({.height = 0}), bmp_ + "Bad image size."},
        {kTexture, bmp({.bits = 8, .colours_used = 257, .palette = std::vector<uint8_t>(257 * 4, 1)}), bmp_ + "Bad palette size."},
        {kTexture, bmp({.bits = 8, .colours_used = 200}), bmp_short},  // a palette past the end of the file
        {kTexture, huge(3000000, 2000000), bmp_short}, {kTexture, huge(3000000, -2000000), bmp_short},
        {kTexture, huge(INT32_MAX, INT32_MIN), bmp_ + "Bad image size."}, {kTexture, far, bmp_short}, {kTexture, beyond, bmp_short},
        {kTexture, TexBytes(0, 5, {}), tex_ + "Bad image size."}, {kTexture, TexBytes(-1, -1, {}), tex_ + "Bad image size."},
        {kTexture, TexBytes(0x7FFFFFFF, 0x7FFFFFFF, std::vector<uint8_t>(64)), tex_ + "errno!=0"},
        {kTexture, TexBytes(3000000, 2000000, std::vector<uint8_t>(25000)), tex_ + "errno!=0"},
        {kPng, "GIF89a" + std::string(30, '\0'), png_ + "Not a PNG file."},
        {kPng, ihdr(std::string("\x00\x01\x86\xA0\x00\x01\x86\xA0", 8), 0), png_ + "The file is too short for its image size."},
        {kPng, ihdr("\x03", 8), png_},  // bit depth 3, in libpng's words
        // A text chunk of 600 MB in 48 bytes.
        {kPng, good_png.substr(0, 33) + std::string("\x24\0\0\x09tEXtqor:min", 15), png_ + "A chunk runs past the file's end."},
        {kPng, EncodePng(1, 1, 0, 8, false, {1}, {}, "qor:min"), png_ + "Bad height range."},
        {kPgm, "P6\n1 1\n255\n\1\2\3", pgm_ + "Not a greymap (P5 or P2)."},
        {kPgm, "P5\n2 2\n0\n1234", pgm_ + "Bad maxval (1 ... 65535)."},
        {kPgm, "P5\n100000 100000\n65535\n" + std::string(100, 'x'), pgm_short},
        {kPgm, "P5\n3 2\n255\n12345", pgm_short}, {kPgm, "P2\n2 2\n255\n1 2 3", pgm_short},
        {kPgm, "P5\n99999999999 2\n255\n", pgm_ + "Bad image size."}, {kPgm, "P5\n3 x 255\n", pgm_ + "Bad greymap header."},
        {kPgm, "P5\n# qor:min=2 qor:max=1\n1 1\n255\n\1", pgm_ + "Bad height range."},
        {kPgm, "P5\n# qor:min=nan qor:max=1\n1 1\n255\n\1", pgm_ + "Bad height range."},
        {R32(0, 0), "0123456789", r32_ + "The length is not a whole number of heights."},
        {R32(0, 0), "012345678901", r32_ + "The heights are not square: give the size."},
        {R32(4, 4), "012345678901", r32_ + "The size does not match the file's length."},
        {R32(100000, 100000), "0123", r32_ + "The size does not match the file's length."},
        {R32(1, 1), std::string("\x00\x00\xC0\x7F", 4), r32_ + "A height is not a number."},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::string error = Refusal(c.read, c.bytes);
        EXPECT_EQ(c.error.back() == ' ' ? error.substr(0, c.error.size()) : error, c.error);
    }
    std::vector<std::pair<Reader, std::string>> samples = {
        {kPng, good_png}, {kPgm, "P5\n# qor:min=0 qor:max=3\n2 1\n65535\n\1\2\3\4"}};
    for (const std::string& sample : QorTest::ValidSamples())
        samples.emplace_back(kTexture, sample);
    for (const auto& [read, sample] : samples) {
        EXPECT_EQ(Refusal(read, sample), "");
        for (size_t n = 0; n < sample.size(); ++n)
            EXPECT_NE(Refusal(read, sample.substr(0, n)), "") << n;
    }
}

TEST(GreyImageFiles, EveryKindOfPngBecomesSixteenBitGrey) {
    const std::vector<png_color> palette = {{0, 0, 0}, {255, 255, 255}, {100, 100, 100}};
    struct Case {
        int colour, depth;
        bool interlaced;
        std::vector<uint8_t> rows;  // 3 x 2 pixels
        std::vector<int> expected;
    };
    // clang-format off
    const Case cases[] = {
        {PNG_COLOR_TYPE_GRAY, 8, false, {0, 128, 255, 1, 2, 3}, {0, 32896, 65535, 257, 514, 771}},
        {PNG_COLOR_TYPE_GRAY, 16, true, {0x12, 0x34, 0, 0, 0xFF, 0xFF, 0, 1, 0x80, 0, 0xAB, 0xCD},
         {0x1234, 0, 0xFFFF, 1, 0x8000, 0xABCD}},
        {PNG_COLOR_TYPE_GRAY, 1, false, {0xA0, 0x40}, {65535, 0, 65535, 0, 65535, 0}},
        {PNG_COLOR_TYPE_PALETTE, 8, true, {0, 1, 2, 2, 1, 0}, {0, 65535, 25700, 25700, 65535, 0}},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {10, 0, 20, 255, 30, 9, 40, 1, 50, 2, 60, 3},
         {2570, 5140, 7710, 10280, 12850, 15420}},
        // Luminance: red weighs about 0.21, as libpng rounds it.
        {PNG_COLOR_TYPE_RGB, 8, false, {255, 255, 255, 0, 0, 0, 50, 50, 50, 255, 0, 0, 9, 9, 9, 1, 1, 1},
         {65535, 0, 12850, 13900, 2313, 257}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::string bytes = EncodePng(3, 2, c.colour, c.depth, c.interlaced, c.rows,
                                            c.colour == 3 ? palette : std::vector<png_color>{});
        KR::ByteReader in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const KR::GreyImage image = KR::ReadPng(in);
        ASSERT_EQ(image.width * image.height, 6);
        EXPECT_FALSE(image.has_range);
        for (size_t k = 0; k < 6; ++k)
            EXPECT_NEAR(image.pixels[k], c.expected[k], 64) << k;
    }
}

TEST(TextureFiles, TexRoundTripWhateverTheNameAndOnlyRegularFilesAreRead) {
    KR::Texture t;
    t.set_format(KR::kGlRgba, KR::kGlTexture2D, 3, 2, 0);
    t.data.reset(new uint8_t[t.side_bytes()]);
    for (size_t i = 0; i < t.side_bytes(); ++i)
        t.data[i] = static_cast<uint8_t>(i * 11 + 3);
    // A TEX file named like a bitmap is still read as TEX.
    const std::string file = QorTest::ScratchFile("round.bmp");
    t.save(file.c_str(), KR::Texture::kTexFileType);
    const std::string bytes = QorTest::ReadBytes(file);
    EXPECT_EQ(bytes.substr(0, 24), std::string("2D TEX\0\0\0\0\0\0\3\0\0\0\2\0\0\0\0\0\0\0", 24));
    const Loaded back = LoadFile(file);
    EXPECT_EQ(back.w, 3);
    EXPECT_EQ(back.texels, std::vector<uint8_t>(t.data.get(), t.data.get() + t.side_bytes()));
    // A file error names the file.
    EXPECT_EQ(LoadFile(WriteSample("a.tex", "GIF89a")).error,
              "KR::Texture::load: Unknown file type.");

    // An unknown file type is refused before the file is opened, so nothing is truncated.
    EXPECT_EQ(ErrorOf([&] { t.save(file.c_str(), 2); }), "KR::Texture::save: Unknown file type.");
    EXPECT_EQ(QorTest::ReadBytes(file), bytes);
    const std::string no_dir = QorTest::ScratchFile("missing/dir.tex");
    EXPECT_EQ(ErrorOf([&] { t.save(no_dir.c_str(), KR::Texture::kTexFileType); }),
              "KR::Texture::save: Can't open file.");

    // A file is read only as far as its header reaches, however long it is.
    const std::string tail = WriteSample("tail.tex", TexBytes(1, 1, {1, 2, 3, 4}));
    std::filesystem::resize_file(tail, size_t(1) << 30);  // sparse: costs no disk
    std::FILE* f = std::fopen(tail.c_str(), "rb");
    KR::ByteReader in(f, size_t(1) << 30, tail);
    t.load_image(in, kEnv, 0);
    EXPECT_LT(std::ftell(f), 1 << 20);
    std::fclose(f);

    // Only regular files: a device or a pipe without a writer is refused at once.
    const std::string fifo = QorTest::ScratchFile("pipe.bmp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name :
         {no_dir, std::string("/dev/zero"), fifo, QorTest::ScratchDir().string()})
        EXPECT_EQ(ErrorOf([&] { t.load(KR::kGlTexture2D, name.c_str(), kEnv); }),
                  "KR::Texture::load: Can't open file (cube).")
            << name;
}

TEST(TextureFiles, CubeMapSidesFollowTheNamePattern) {
    EXPECT_EQ(KR::FormatCubeSideName("sky%d.tex", 4), "sky4.tex");
    EXPECT_EQ(KR::FormatCubeSideName("a%%_%02i|", 3), "a%_03|");
    EXPECT_EQ(KR::FormatCubeSideName("%-3u|", 2), "2  |");
    EXPECT_EQ(KR::FormatCubeSideName("plain.tex", 5), "plain.tex");
    for (const char* bad : {"%s.tex", "%d%d", "%n", "100%", "%.tex", "%99999d"})
        EXPECT_THROW(KR::FormatCubeSideName(bad, 0), KR::ErrorFile) << bad;

    for (int side = 0; side < 6; ++side)
        WriteSample("cube" + std::to_string(side) + ".tex",
                    TexBytes(2, 2, std::vector<uint8_t>(16, static_cast<uint8_t>(side + 1))));
    KR::Texture cube;
    const std::string pattern = QorTest::ScratchFile("cube%d.tex");
    cube.load(KR::kGlTextureCubeMap, pattern.c_str(), kEnv);
    EXPECT_EQ(cube.width, 2);
    for (int side = 0; side < 6; ++side)
        EXPECT_EQ(cube.data[cube.side_bytes() * side + 5], side + 1);

    // A plain 2D name is never a pattern: a '%' in it is just a character.
    EXPECT_EQ(LoadFile(WriteSample("100%d.tex", TexBytes(1, 1, {1, 2, 3, 4}))).w, 1);

    WriteSample("cube3.tex", TexBytes(1, 2, std::vector<uint8_t>(8)));
    EXPECT_EQ(ErrorOf([&] { cube.load(KR::kGlTextureCubeMap, pattern.c_str(), kEnv); }),
              "KR::Texture::load_tex: Cube map with different sides!");
    KR::Texture lone;  // a later side read into a texture that holds no cube map
    const std::string tex = QorTest::ReadBytes(QorTest::ScratchFile("cube0.tex"));
    KR::ByteReader in(reinterpret_cast<const uint8_t*>(tex.data()), tex.size());
    EXPECT_THROW(lone.load_image(in, kEnv, 2), KR::Error);
    EXPECT_FALSE(lone.data);
}

// RGB rows turn to BGR, padded with zeros (641 x 3 to 1924 bytes); grey i is palette entry i.
TEST(BmpWriter, FilesAreByteExactAndFailuresReported) {
    std::vector<uint8_t> rgb(641 * 3 * 3);
    BmpSample want{.width = 641, .height = 3, .pad = '\0', .resolution = 0};
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7 + 1);
    for (size_t i = 0; i < rgb.size(); ++i)
        want.rows.push_back(rgb[i - i % 3 + 2 - i % 3]);
    const std::string file = QorTest::ScratchFile("capture.bmp");
    KR::SaveRGB2BMP(file.c_str(), 641, 3, rgb.data());
    EXPECT_TRUE(QorTest::ReadBytes(file) == BmpBytes(want));

    want = {
        .width = 3, .height = 2, .bits = 8, .colours_used = 256, .rows = {0, 128, 255, 7, 8, 9}};
    want.pad = '\0', want.resolution = 0;
    for (int i = 0; i < 256; ++i)
        want.palette.insert(want.palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    KR::SaveGrey2BMP(file.c_str(), 3, 2, want.rows.data());
    EXPECT_TRUE(QorTest::ReadBytes(file) == BmpBytes(want));
    EXPECT_EQ(KR::CreateBitmapInfoStruct({5, 2, 1, 3}).size(), 40u + 16 * 4);  // 3 bits: 16 colours

    EXPECT_THROW(KR::SaveRGB2BMP(file.c_str(), 0, 2, rgb.data()), KR::Error);
    EXPECT_THROW(KR::SaveRGB2BMP(file.c_str(), 2, -2, rgb.data()), KR::Error);
    EXPECT_THROW(KR::CreateBitmapInfoStruct({100000, 100000, 1, 24}), KR::Error);
    EXPECT_EQ(ErrorOf([&] { KR::SaveRGB2BMP("/nonexistent-folder/a.bmp", 2, 2, rgb.data()); }),
              "KR::CreateBMPFile: CreateFile");
    rgb.resize(size_t(512) * 512 * 3);
    EXPECT_THROW(KR::SaveRGB2BMP("/dev/full", 512, 512, rgb.data()), KR::ErrorFile);
}

// Scales a grey image (alpha 255) and answers the grey values; alpha must stay 255.
std::vector<int> Scale(const std::vector<int>& values, int in_w, int in_h, int out_w, int out_h) {
    std::vector<uint8_t> in, out(size_t(out_w) * out_h * 4, 7);
    for (int v : values)
        in.insert(in.end(), {uint8_t(v), uint8_t(v), uint8_t(v), 255});
    KR::ScaleImageRGBA(in.data(), in_w, in_h, out.data(), out_w, out_h);
    std::vector<int> grey;
    for (size_t k = 0; k < out.size(); k += 4) {
        EXPECT_EQ(out[k + 3], 255) << "alpha of pixel " << k / 4;
        grey.push_back(out[k]);
    }
    return grey;
}

TEST(RgbaScale, ShrinksByBoxMeansAndEnlargesByInterpolation) {
    struct Case {
        std::vector<int> in;
        int in_w, in_h, out_w, out_h;
        std::vector<int> out;
    };
    const Case cases[] = {
        {{0, 10, 20, 30, 40, 50}, 3, 2, 3, 2, {0, 10, 20, 30, 40, 50}},
        // Each target the rounded mean of a 2 x 2 block.
        {{0, 1, 100, 200, 1, 1, 100, 201}, 4, 2, 2, 1, {1, 150}},
        // Boxes 1.5 pixels wide: (0 + 0.5 * 90) / 1.5 and (0.5 * 90 + 180) / 1.5.
        {{0, 90, 180}, 3, 1, 2, 1, {30, 150}},
        // The outer targets see only their own edge pixel: nothing wraps in from the far side.
        {{0, 200}, 2, 1, 4, 1, {0, 50, 150, 200}},
        {{0, 200}, 1, 2, 1, 4, {0, 50, 150, 200}},
        {std::vector<int>(35, 77), 7, 5, 3, 11, std::vector<int>(33, 77)},
        {std::vector<int>(39, 77), 13, 3, 1, 1, {77}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scale(c.in, c.in_w, c.in_h, c.out_w, c.out_h), c.out)
            << c.in_w << "x" << c.in_h << " to " << c.out_w << "x" << c.out_h;
}

}  // namespace
