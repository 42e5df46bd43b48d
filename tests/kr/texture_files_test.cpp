#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kr/image/bmp_writer.h"
#include "kr/image/cube_name.h"
#include "kr/base/error.h"
#include "kr/image_samples.h"
#include "kr/test_files.h"
#include "kr/image/texture.h"

namespace {

using qor_test::BmpBytes;
using qor_test::BmpSample;
using qor_test::CelBytes;
using qor_test::TexBytes;

const KR::TextureDefaults kEnv;

std::string WriteSample(const std::string& name, const std::string& bytes) {
    const std::string file = qor_test::ScratchFile(name);
    qor_test::WriteBytes(file, bytes);
    return file;
}

// The texels of a loaded texture as R, G, B, A bytes.
std::vector<uint8_t> Texels(const KR::Texture& t) {
    return std::vector<uint8_t>(t.data.get(), t.data.get() + t.side_bytes());
}

// Loads the bytes as a 2D texture and answers the message of the KR::ErrorFile it raises
// ("" when it loads).
std::string LoadError(const std::string& bytes) {
    const std::string file = WriteSample("hostile.img", bytes);
    KR::Texture t;
    try {
        t.load(KR::kGlTexture2D, file.c_str(), kEnv);
    } catch (const KR::ErrorFile& e) {
        EXPECT_EQ(e.file, file);
        return e.Message();
    }
    return "";
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

TEST(TextureFiles, TexWriterAndReaderRoundTripAndContentDecidesTheReader) {
    KR::Texture t;
    t.set_format(KR::kGlRgba, KR::kGlTexture2D, 3, 2, 0);
    t.data.reset(new uint8_t[t.side_bytes()]);
    for (size_t i = 0; i < t.side_bytes(); ++i)
        t.data[i] = static_cast<uint8_t>(i * 11 + 3);
    // A TEX file named like a bitmap is still read as TEX.
    const std::string file = qor_test::ScratchFile("round.bmp");
    t.save(file.c_str(), KR::Texture::kTexFileType);
    const std::string bytes = qor_test::ReadBytes(file);
    ASSERT_EQ(bytes.size(), 24u + 24u);
    EXPECT_EQ(bytes.substr(0, 12), std::string("2D TEX\0\0\0\0\0\0", 12));
    EXPECT_EQ(bytes.substr(12, 12), std::string("\3\0\0\0\2\0\0\0\0\0\0\0", 12));

    KR::Texture back;
    back.load(KR::kGlTexture2D, file.c_str(), kEnv);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(Texels(back), Texels(t));

    // "3D TEX" reads one layer like "2D TEX".
    EXPECT_EQ(LoadError(TexBytes(1, 1, {9, 8, 7, 6}, "3D TEX")), "");

    // An unknown file type is refused before the file is opened, so nothing is truncated.
    EXPECT_EQ(ErrorOf([&] { t.save(file.c_str(), 2); }), "KR::Texture::save: Unknown file type.");
    EXPECT_EQ(qor_test::ReadBytes(file), bytes);
    const std::string no_dir = qor_test::ScratchFile("missing/dir.tex");
    EXPECT_EQ(ErrorOf([&] { t.save(no_dir.c_str(), KR::Texture::kTexFileType); }),
              "KR::Texture::save: Can't open file.");
    EXPECT_EQ(ErrorOf([&] { back.load(KR::kGlTexture2D, no_dir.c_str(), kEnv); }),
              "KR::Texture::load: Can't open file (cube).");
    EXPECT_EQ(LoadError("GIF89a...."), "KR::Texture::load: Unknown file type.");
    EXPECT_EQ(LoadError(""), "KR::Texture::load: Unknown file type.");
    EXPECT_EQ(LoadError("2D TEX"), "KR::Texture::load: Unknown file type.");  // no NUL
}

TEST(TextureFiles, CelPaletteScalesTransparencyAndRowOrder) {
    std::vector<uint8_t> palette(768, 0);
    palette[3] = 63;                                   // index 1: red 63
    palette[6] = 32, palette[7] = 1, palette[8] = 62;  // index 2
    palette[9] = 200;                                  // index 3: out of range
    // Rows top-down in the file: (1 2) over (0 3).
    const std::string file = WriteSample("small.cel", CelBytes(2, 2, palette, {1, 2, 0, 3}));
    KR::Texture t;
    t.load(KR::kGlTexture2D, file.c_str(), kEnv);
    ASSERT_EQ(t.width, 2);
    ASSERT_EQ(t.height, 2);
    const std::vector<uint8_t> expected = {
        0,   0, 0,   0,   255, 0, 0, 255,  // bottom row first: index 0 transparent, index 3
        251, 0, 0,   255,                  // 63 gives 251, not 255
        127, 3, 247, 255};
    EXPECT_EQ(Texels(t), expected);

    // Without a transparent index every texel is opaque.
    KR::TextureDefaults opaque;
    opaque.transparent_index = -1;
    t.load(KR::kGlTexture2D, file.c_str(), opaque);
    EXPECT_EQ(t.data[3], 255);

    // Images of more than 65535 pixels need the whole 32-bit data length.
    std::vector<uint8_t> big(300 * 300, 1);
    big[0] = 2;  // top-left pixel ends in the last row of the buffer
    const std::string big_file = WriteSample("big.cel", CelBytes(300, 300, palette, big));
    t.load(KR::kGlTexture2D, big_file.c_str(), kEnv);
    ASSERT_EQ(t.width, 300);
    EXPECT_EQ(t.data[0], 251);
    EXPECT_EQ(t.data[size_t(299) * 300 * 4], 127);

    std::string deep = CelBytes(2, 2, palette, {1, 1, 1, 1});
    deep[10] = 4;
    EXPECT_EQ(LoadError(deep), "KR::Texture::load_cel: unknow color resolution");
    std::string packed = CelBytes(2, 2, palette, {1, 1, 1, 1});
    packed[11] = 1;
    EXPECT_EQ(LoadError(packed), "KR::Texture::load_cel: Unknown compression.");
    std::string long_data = CelBytes(2, 2, palette, {1, 1, 1, 1});
    long_data[12] = 5;  // one byte more than the file has
    EXPECT_EQ(LoadError(long_data), "KR::Texture::load_cel: errno!=0");
    EXPECT_EQ(LoadError(CelBytes(3, 3, palette, {1, 1, 1, 1})), "KR::Texture::load_cel: errno!=0");
    EXPECT_EQ(LoadError(CelBytes(0, 3, palette, {})), "KR::Texture::load_cel: Bad image size.");
    EXPECT_EQ(LoadError(CelBytes(2, 2, palette, {}).substr(0, 799)),
              "KR::Texture::load_cel: errno!=0");
}

TEST(TextureFiles, PalettisedBmpDecodesForEveryRowPadding) {
    for (int32_t w = 1; w <= 4; ++w) {
        SCOPED_TRACE(w);
        BmpSample b;
        b.width = w;
        b.height = 3;
        b.bits = 8;
        // 'Colours used' 0 means a full palette of 256.
        for (int i = 0; i < 256; ++i)
            b.palette.insert(b.palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
        for (int i = 0; i < w * 3; ++i)
            b.rows.push_back(static_cast<uint8_t>(i * 37 % 256));
        KR::Texture t;
        const std::string file = WriteSample("pal.bmp", BmpBytes(b));
        t.load(KR::kGlTexture2D, file.c_str(), kEnv);
        ASSERT_EQ(t.width, w);
        ASSERT_EQ(t.height, 3);
        for (int i = 0; i < w * 3; ++i) {
            const uint8_t index = b.rows[i];
            const uint8_t* texel = t.data.get() + i * 4;
            EXPECT_EQ(texel[0], index / 2);
            EXPECT_EQ(texel[1], 255 - index);
            EXPECT_EQ(texel[2], index);
            EXPECT_EQ(texel[3], index == 0 ? 0 : 255);
        }
    }

    // A short palette ('colours used' 2) moves the pixels; they are still the file's end.
    BmpSample two;
    two.width = 2;
    two.height = 1;
    two.bits = 8;
    two.colours_used = 2;
    two.palette = {10, 20, 30, 0, 40, 50, 60, 0};
    two.rows = {1, 0};
    const std::string file = WriteSample("two.bmp", BmpBytes(two));
    KR::Texture t;
    t.load(KR::kGlTexture2D, file.c_str(), kEnv);
    EXPECT_EQ(Texels(t), (std::vector<uint8_t>{60, 50, 40, 255, 30, 20, 10, 0}));

    // Our own writer's 8-bit files (full palette, 'colours used' 256) read back.
    KR::BitmapDesc desc;
    desc.width = 5;
    desc.height = 2;
    desc.bits_per_pixel = 8;
    std::vector<uint8_t> info = KR::CreateBitmapInfoStruct(desc);
    info[40 + 7 * 4 + 2] = 99;  // red of index 7
    const std::vector<uint8_t> pixels = {7, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
    const std::string written = qor_test::ScratchFile("writer8.bmp");
    KR::CreateBMPFile(written.c_str(), info, pixels.data());
    t.load(KR::kGlTexture2D, written.c_str(), kEnv);
    ASSERT_EQ(t.width, 5);
    EXPECT_EQ(t.data[0], 99);
    EXPECT_EQ(t.data[3], 255);
    EXPECT_EQ(t.data[(5 + 4) * 4], 99);
    EXPECT_EQ(t.data[5 * 4 + 3], 0);
}

TEST(TextureFiles, TrueColourBmpsDecodePixelExact) {
    for (int w = 1; w <= 4; ++w) {
        SCOPED_TRACE(w);
        std::vector<uint8_t> rgb(size_t(w) * 3 * 3);
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<uint8_t>(i * 29 + 1);
        const std::string file = qor_test::ScratchFile("rgb.bmp");
        KR::SaveRGB2BMP(file.c_str(), w, 3, rgb.data());
        KR::Texture t;
        t.load(KR::kGlTexture2D, file.c_str(), kEnv);
        ASSERT_EQ(t.width, w);
        ASSERT_EQ(t.height, 3);
        for (int i = 0; i < w * 3; ++i) {
            EXPECT_EQ(0, std::memcmp(t.data.get() + i * 4, rgb.data() + i * 3, 3));
            EXPECT_EQ(t.data[i * 4 + 3], 255);
        }
    }

    // 5-5-5: red 31, green 16, blue 1 in one pixel, white in the next, padding after.
    BmpSample b;
    b.width = 3;
    b.height = 1;
    b.bits = 16;
    const uint16_t mixed = 31 << 10 | 16 << 5 | 1;
    b.rows = {uint8_t(mixed), uint8_t(mixed >> 8), 0xFF, 0x7F, 0, 0};
    KR::Texture t;
    const std::string file = WriteSample("555.bmp", BmpBytes(b));
    t.load(KR::kGlTexture2D, file.c_str(), kEnv);
    EXPECT_EQ(Texels(t),
              (std::vector<uint8_t>{255, 132, 8, 255, 255, 255, 255, 255, 0, 0, 0, 255}));

    // A negative height stores the top row first; the buffer stays bottom-up.
    BmpSample up, down;
    up.width = down.width = 2;
    up.height = 2;
    down.height = -2;
    up.rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    down.rows = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6};
    KR::Texture a, c;
    const std::string up_file = WriteSample("up.bmp", BmpBytes(up));
    a.load(KR::kGlTexture2D, up_file.c_str(), kEnv);
    const std::string down_file = WriteSample("down.bmp", BmpBytes(down));
    c.load(KR::kGlTexture2D, down_file.c_str(), kEnv);
    EXPECT_EQ(c.height, 2);
    EXPECT_EQ(Texels(a), Texels(c));
}

TEST(TextureFiles, HostileAndTruncatedFilesRaiseFileErrors) {
    auto bmp = [](auto change) {
        BmpSample b;
        b.width = 2;
        b.height = 2;
        b.rows.assign(12, 0x40);
        change(b);
        return BmpBytes(b);
    };
    const std::string bad_depth = "KR::Texture::load_bmp: unknow color resolution";
    const std::string short_read = "KR::Texture::load_bmp: errno!=0";
    const std::string bad_size = "KR::Texture::load_bmp: Bad image size.";
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.bits = 32; })), bad_depth);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.bits = 4; })), bad_depth);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.bits = 0; })), bad_depth);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.planes = 2; })), bad_depth);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.compression = 1; })),
              "KR::Texture::load_bmp: Compressed bitmap not supported.");
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.width = 0; })), bad_size);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.width = -2; })), bad_size);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) { b.height = 0; })), bad_size);
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) {
                  b.bits = 8;
                  b.colours_used = 257;
                  b.palette.assign(257 * 4, 1);
              })),
              "KR::Texture::load_bmp: Bad palette size.");
    // A palette that runs into the pixels or past the end of the file.
    EXPECT_EQ(LoadError(bmp([](BmpSample& b) {
                  b.bits = 8;
                  b.colours_used = 200;
              })),
              short_read);

    // 3000000 x 2000000 claimed by a 25 KB file: refused before any allocation.
    std::string huge = bmp([](BmpSample& b) { b.rows.assign(4, 0); });
    huge.resize(25 * 1024, '\x11');
    huge.replace(18, 8, std::string("\xC0\xC6\x2D\x00\x80\x84\x1E\x00", 8));
    EXPECT_EQ(LoadError(huge), short_read);
    huge.replace(22, 4, "\x80\x7B\xE1\xFF");  // the same height, stored top-down
    EXPECT_EQ(LoadError(huge), short_read);
    huge.replace(
        18, 8, std::string("\xFF\xFF\xFF\x7F\x00\x00\x00\x80", 8));  // the largest width, INT32_MIN
    EXPECT_EQ(LoadError(huge), bad_size);

    EXPECT_EQ(LoadError(TexBytes(0, 5, {})), "KR::Texture::load_tex: Bad image size.");
    EXPECT_EQ(LoadError(TexBytes(-1, -1, {})), "KR::Texture::load_tex: Bad image size.");
    EXPECT_EQ(LoadError(TexBytes(0x7FFFFFFF, 0x7FFFFFFF, std::vector<uint8_t>(64))),
              "KR::Texture::load_tex: errno!=0");
    EXPECT_EQ(LoadError(TexBytes(3000000, 2000000, std::vector<uint8_t>(25000))),
              "KR::Texture::load_tex: errno!=0");

    // Every valid sample loads, and every shorter prefix of it raises a file error.
    for (const std::string& sample : qor_test::ValidSamples()) {
        EXPECT_EQ(LoadError(sample), "");
        for (size_t n = 0; n < sample.size(); ++n) {
            KR::ByteReader in(reinterpret_cast<const uint8_t*>(sample.data()), n);
            KR::Texture t;
            EXPECT_THROW(t.load_image(in, kEnv, 0), KR::ErrorFile) << n;
        }
    }
}

TEST(TextureFiles, BmpRowsStartAtTheHeadersOffsetAndOnlyRegularFilesAreRead) {
    // A 1 x 1 red bitmap with four bytes after its row.
    std::string red;
    const char* hex =
        "424d3e0000000000000036000000280000000100000001000000010018000000000004000000130b0000130b"
        "000000000000000000000000ff004a554e4b";
    for (const char* p = hex; *p; p += 2)
        red += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    const std::string red_file = WriteSample("red.bmp", red);
    KR::Texture t;
    t.load(KR::kGlTexture2D, red_file.c_str(), kEnv);
    EXPECT_EQ(Texels(t), (std::vector<uint8_t>{255, 0, 0, 255}));

    // Anything after the rows (a colour profile, say) leaves the picture as it was.
    const std::string plain = qor_test::ValidSamples().back();
    t.load(KR::kGlTexture2D, WriteSample("plain.bmp", plain).c_str(), kEnv);
    const std::vector<uint8_t> expected = Texels(t);
    t.load(KR::kGlTexture2D, WriteSample("profile.bmp", plain + std::string(300, 'P')).c_str(),
           kEnv);
    EXPECT_EQ(Texels(t), expected);
    // An offset short of the headers means the rows end the file, as old writers had it.
    std::string no_offset = plain;
    no_offset.replace(10, 4, std::string(4, '\0'));
    t.load(KR::kGlTexture2D, WriteSample("zero.bmp", no_offset).c_str(), kEnv);
    EXPECT_EQ(Texels(t), expected);
    // Rows that would not fit after the offset are refused.
    std::string far = plain;
    far[10] = static_cast<char>(far[10] + 1);
    EXPECT_EQ(LoadError(far), "KR::Texture::load_bmp: errno!=0");
    far.replace(10, 4, "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(LoadError(far), "KR::Texture::load_bmp: errno!=0");

    // A file is read only as far as its header reaches, however long it is.
    const std::string tail = WriteSample("tail.tex", TexBytes(1, 1, {1, 2, 3, 4}));
    std::filesystem::resize_file(tail, size_t(1) << 30);  // sparse: costs no disk
    std::FILE* file = std::fopen(tail.c_str(), "rb");
    KR::ByteReader in(file, size_t(1) << 30, tail);
    t.load_image(in, kEnv, 0);
    EXPECT_LT(std::ftell(file), 1 << 20);
    std::fclose(file);

    // Only regular files: a device or a pipe without a writer is refused at once.
    const std::string fifo = qor_test::ScratchFile("pipe.bmp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name :
         {std::string("/dev/zero"), fifo, qor_test::ScratchDir().string()})
        EXPECT_EQ(ErrorOf([&] { t.load(KR::kGlTexture2D, name.c_str(), kEnv); }),
                  "KR::Texture::load: Can't open file (cube).")
            << name;
}

TEST(TextureFiles, CubeMapSidesFollowTheNamePattern) {
    EXPECT_EQ(KR::FormatCubeSideName("sky%d.tex", 4), "sky4.tex");
    EXPECT_EQ(KR::FormatCubeSideName("a%%_%02i|", 3), "a%_03|");
    EXPECT_EQ(KR::FormatCubeSideName("%-3u|", 2), "2  |");
    EXPECT_EQ(KR::FormatCubeSideName("plain.tex", 5), "plain.tex");
    for (const char* bad : {"%s.tex", "%d%d", "%n", "100%", "%.tex", "%99999d"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(KR::FormatCubeSideName(bad, 0), KR::ErrorFile);
    }

    for (int side = 0; side < 6; ++side) {
        const std::vector<uint8_t> texels(2 * 2 * 4, static_cast<uint8_t>(side + 1));
        WriteSample("cube" + std::to_string(side) + ".tex", TexBytes(2, 2, texels));
    }
    KR::Texture cube;
    const std::string pattern = qor_test::ScratchFile("cube%d.tex");
    cube.load(KR::kGlTextureCubeMap, pattern.c_str(), kEnv);
    EXPECT_EQ(cube.width, 2);
    for (int side = 0; side < 6; ++side)
        EXPECT_EQ(cube.data[cube.side_bytes() * side + 5], side + 1);

    // A plain 2D name is never a pattern: a '%' in it is just a character.
    const std::string percent = WriteSample("100%d.tex", TexBytes(1, 1, {1, 2, 3, 4}));
    KR::Texture flat;
    flat.load(KR::kGlTexture2D, percent.c_str(), kEnv);
    EXPECT_EQ(flat.width, 1);

    WriteSample("cube3.tex", TexBytes(1, 2, std::vector<uint8_t>(8)));
    EXPECT_EQ(ErrorOf([&] { cube.load(KR::kGlTextureCubeMap, pattern.c_str(), kEnv); }),
              "KR::Texture::load_tex: Cube map with different sides!");
    // A later side read into a texture that holds no cube map is refused too.
    KR::Texture lone;
    const std::string tex = qor_test::ReadBytes(qor_test::ScratchFile("cube0.tex"));
    KR::ByteReader in(reinterpret_cast<const uint8_t*>(tex.data()), tex.size());
    EXPECT_THROW(lone.load_image(in, kEnv, 2), KR::Error);
    EXPECT_FALSE(lone.data);
}

}  // namespace
