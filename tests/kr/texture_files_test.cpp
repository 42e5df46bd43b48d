// The texture file readers (BMP, CEL, TEX) and the TEX writer: the content, not the name,
// decides the reader; every good file decodes texel for texel; every bad one raises a file
// error with the reader's text.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/bmp_writer.h"
#include "kr/image/cube_name.h"
#include "kr/image/texture.h"
#include "kr/image_samples.h"
#include "kr/test_files.h"

namespace {

using QorTest::BmpBytes;
using QorTest::BmpSample;
using QorTest::CelBytes;
using QorTest::TexBytes;

const KR::TextureDefaults kEnv;

std::string WriteSample(const std::string& name, const std::string& bytes) {
    const std::string file = QorTest::ScratchFile(name);
    QorTest::WriteBytes(file, bytes);
    return file;
}

std::vector<uint8_t> Texels(const KR::Texture& t) {
    return std::vector<uint8_t>(t.data.get(), t.data.get() + t.side_bytes());
}

// The message of the KR::Error the call raises, "" when it raises none.
template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const KR::Error& e) {
        return e.Message();
    }
    return "";
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
    return {t.width, t.height, Texels(t), ""};
}

Loaded Load(const std::string& bytes) {
    return LoadFile(WriteSample("sample.img", bytes));
}

std::vector<uint8_t> Repeat(std::vector<uint8_t> texel, size_t n) {
    std::vector<uint8_t> out;
    while (n-- > 0)
        out.insert(out.end(), texel.begin(), texel.end());
    return out;
}

std::string FromHex(const char* hex) {
    std::string out;
    for (const char* p = hex; *p; p += 2)
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    return out;
}

// Index 1: red 63 (gives 251, not 255), index 2: (32, 1, 62), index 3: out of range.
std::vector<uint8_t> CelPalette() {
    std::vector<uint8_t> palette(768, 0);
    palette[3] = 63;
    palette[6] = 32, palette[7] = 1, palette[8] = 62;
    palette[9] = 200;
    return palette;
}

TEST(TextureFiles, GoodFilesDecodeTexelForTexel) {
    const std::vector<uint8_t> palette = CelPalette();
    std::vector<uint8_t> big(300 * 300, 1);
    big[0] = 2;  // the top-left pixel ends in the last row of the buffer
    std::vector<uint8_t> big_texels = Repeat({251, 0, 0, 255}, 300 * 300);
    std::copy_n(std::begin({127, 3, 247, 255}), 4, big_texels.end() - 300 * 4);

    // Our own writer's 8-bit files carry a full palette ('colours used' 256).
    std::vector<uint8_t> info = KR::CreateBitmapInfoStruct({5, 2, 1, 8});
    info[40 + 7 * 4 + 2] = 99;  // red of index 7
    const uint8_t pixels[16] = {7, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
    const std::string writer8 = QorTest::ScratchFile("writer8.bmp");
    KR::CreateBMPFile(writer8.c_str(), info, pixels);
    std::vector<uint8_t> writer8_texels = Repeat({99, 0, 0, 255}, 5);
    for (auto t : {Repeat({0, 0, 0, 0}, 4), Repeat({99, 0, 0, 255}, 1)})
        writer8_texels.insert(writer8_texels.end(), t.begin(), t.end());

    const std::vector<uint8_t> two = {60, 50, 40, 255, 30, 20, 10, 0}, red = {255, 0, 0, 255};
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
        {QorTest::ReadBytes(writer8), 5, 2, writer8_texels},
        {BmpBytes({.width = 2, .bits = 8, .colours_used = 2, .palette = {10, 20, 30, 0, 40, 50, 60, 0}, .rows = {1, 0}}), 2, 1, two},
        // Later header versions: the palette follows the whole header.
        {BmpBytes({.width = 2, .bits = 8, .colours_used = 2, .palette = {10, 20, 30, 0, 40, 50, 60, 0}, .rows = {1, 0},
                   .info_size = 124}), 2, 1, two},
        {BmpBytes({.width = 3, .bits = 16, .rows = {uint8_t(mixed), uint8_t(mixed >> 8), 0xFF, 0x7F, 0, 0}}), 3, 1,
         {255, 132, 8, 255, 255, 255, 255, 255, 0, 0, 0, 255}},
        // A negative height stores the top row first; the buffer stays bottom-up.
        {BmpBytes({.width = 2, .height = 2, .rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}), 2, 2, bgr},
        {BmpBytes({.width = 2, .height = -2, .rows = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}}), 2, 2, bgr},
        {FromHex("424d3e0000000000000036000000280000000100000001000000010018000000000004000000130b0000"
                 "130b000000000000000000000000ff004a554e4b"), 1, 1, red},  // four bytes after the row
        // Anything after the rows (a colour profile, say) leaves the picture as it was; an
        // offset short of the headers means the rows end the file, as old writers had it.
        {rgb + std::string(300, 'P'), 2, 1, {3, 2, 1, 255, 6, 5, 4, 255}},
        {no_offset, 2, 1, {3, 2, 1, 255, 6, 5, 4, 255}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const Loaded l = Load(c.bytes);
        EXPECT_EQ(l.error, "");
        EXPECT_EQ(l.w, c.w);
        EXPECT_EQ(l.h, c.h);
        EXPECT_TRUE(l.texels == c.texels);
    }
    // Without a transparent index every texel is opaque.
    KR::TextureDefaults opaque;
    opaque.transparent_index = -1;
    EXPECT_EQ(LoadFile(WriteSample("opaque.cel", cases[0].bytes), opaque).texels[3], 255);
}

// Every row padding: 8 bits from a full palette ('colours used' 0 means 256), 24 bits from
// the program's own writer.
TEST(TextureFiles, BmpRowsDecodeForEveryPadding) {
    for (int32_t w = 1; w <= 4; ++w) {
        SCOPED_TRACE(w);
        BmpSample b{.width = w, .height = 3, .bits = 8};
        for (int i = 0; i < 256; ++i)
            b.palette.insert(b.palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
        std::vector<uint8_t> rgb, want8, want24;
        for (int i = 0; i < w * 3; ++i) {
            const uint8_t index = static_cast<uint8_t>(i * 37);
            b.rows.push_back(index);
            want8.insert(want8.end(), {uint8_t(index / 2), uint8_t(255 - index), index,
                                       uint8_t(index == 0 ? 0 : 255)});
            rgb.insert(rgb.end(), {uint8_t(i * 29 + 1), uint8_t(i * 31 + 2), uint8_t(i * 3 + 7)});
            want24.insert(want24.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], 255});
        }
        const Loaded l8 = Load(BmpBytes(b));
        EXPECT_EQ(l8.w, w);
        EXPECT_EQ(l8.h, 3);
        EXPECT_EQ(l8.texels, want8);
        const std::string file = QorTest::ScratchFile("rgb.bmp");
        KR::SaveRGB2BMP(file.c_str(), w, 3, rgb.data());
        EXPECT_EQ(LoadFile(file).texels, want24);
    }
}

TEST(TextureFiles, BadFilesRaiseTheReadersFileErrors) {
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
    // 3000000 x 2000000 claimed by a 25 KB file: refused before any allocation.
    auto huge = [](int32_t w, int32_t h) {
        return BmpBytes({.width = w, .height = h}).append(25 * 1024 - 54, '\x11');
    };
    std::string far = bmp({}), beyond = bmp({});
    far[10] = static_cast<char>(far[10] + 1);  // the rows would not fit after the offset
    beyond.replace(10, 4, "\xFF\xFF\xFF\xFF");
    const std::string cel_ = "KR::Texture::load_cel: ", bmp_ = "KR::Texture::load_bmp: ";
    const std::string tex_ = "KR::Texture::load_tex: ",
                      unknown = "KR::Texture::load: Unknown file type.";
    const std::string bad_depth = bmp_ + "unknow color resolution", bmp_short = bmp_ + "errno!=0";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"GIF89a....", unknown}, {"", unknown}, {"2D TEX", unknown},  // the last without its NUL
        {cel(10, 4), cel_ + "unknow color resolution"},
        {cel(11, 1), cel_ + "Unknown compression."},
        {cel(12, 5), cel_ + "errno!=0"},  // one byte more than the file has
        {CelBytes(3, 3, palette, {1, 1, 1, 1}), cel_ + "errno!=0"},
        {CelBytes(0, 3, palette, {}), cel_ + "Bad image size."},
        {CelBytes(2, 2, palette, {}).substr(0, 799), cel_ + "errno!=0"},
        {bmp({.bits = 32}), bad_depth}, {bmp({.bits = 4}), bad_depth}, {bmp({.bits = 0}), bad_depth},
        {bmp({.planes = 2}), bad_depth},
        {bmp({.compression = 1}), bmp_ + "Compressed bitmap not supported."},
        {bmp({.info_size = 12}), bmp_ + "Bad bitmap header."},
        {bmp({.width = 0}), bmp_ + "Bad image size."}, {bmp({.width = -2}), bmp_ + "Bad image size."},
        {bmp({.height = 0}), bmp_ + "Bad image size."},
        {bmp({.bits = 8, .colours_used = 257, .palette = std::vector<uint8_t>(257 * 4, 1)}), bmp_ + "Bad palette size."},
        {bmp({.bits = 8, .colours_used = 200}), bmp_short},  // a palette past the end of the file
        {huge(3000000, 2000000), bmp_short}, {huge(3000000, -2000000), bmp_short},
        {huge(INT32_MAX, INT32_MIN), bmp_ + "Bad image size."},
        {far, bmp_short}, {beyond, bmp_short},
        {TexBytes(0, 5, {}), tex_ + "Bad image size."}, {TexBytes(-1, -1, {}), tex_ + "Bad image size."},
        {TexBytes(0x7FFFFFFF, 0x7FFFFFFF, std::vector<uint8_t>(64)), tex_ + "errno!=0"},
        {TexBytes(3000000, 2000000, std::vector<uint8_t>(25000)), tex_ + "errno!=0"},
    };
    // clang-format on
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Load(cases[i].first).error, cases[i].second) << "case " << i;

    // Every valid sample loads, and every shorter prefix of it raises a file error.
    for (const std::string& sample : QorTest::ValidSamples()) {
        EXPECT_EQ(Load(sample).error, "");
        for (size_t n = 0; n < sample.size(); ++n) {
            KR::ByteReader in(reinterpret_cast<const uint8_t*>(sample.data()), n);
            KR::Texture t;
            EXPECT_THROW(t.load_image(in, kEnv, 0), KR::ErrorFile) << n;
        }
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
    EXPECT_EQ(bytes.size(), 24u + 24u);
    EXPECT_EQ(bytes.substr(0, 24), std::string("2D TEX\0\0\0\0\0\0\3\0\0\0\2\0\0\0\0\0\0\0", 24));
    const Loaded back = LoadFile(file);
    EXPECT_EQ(back.w, 3);
    EXPECT_EQ(back.h, 2);
    EXPECT_EQ(back.texels, Texels(t));

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
    // A later side read into a texture that holds no cube map is refused too.
    KR::Texture lone;
    const std::string tex = QorTest::ReadBytes(QorTest::ScratchFile("cube0.tex"));
    KR::ByteReader in(reinterpret_cast<const uint8_t*>(tex.data()), tex.size());
    EXPECT_THROW(lone.load_image(in, kEnv, 2), KR::Error);
    EXPECT_FALSE(lone.data);
}

}  // namespace
