#include "kr/image/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "kr/base/error.h"
#include "kr/test_files.h"

namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

TEST(BmpWriter, CaptureOfAnOddWidthIsByteExact) {
    // 641 pixels of 3 bytes are 1923 bytes, padded to 1924.
    const uint32_t w = 641, h = 3, stride = 1924;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::string file = QorTest::ScratchFile("capture.bmp");
    KR::SaveRGB2BMP(file.c_str(), w, h, rgb.data());
    const std::string bmp = QorTest::ReadBytes(file);
    ASSERT_EQ(bmp.size(), 54 + stride * h);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    // File size, reserved, pixel offset, info size, width, height, planes and bits, no
    // compression, image size, no palette.
    const std::pair<size_t, uint32_t> fields[] = {
        {2, 54 + stride * h}, {6, 0},  {10, 54},         {14, 40}, {18, w}, {22, h},
        {26, 1 | 24 << 16},   {30, 0}, {34, stride * h}, {46, 0}};
    for (auto [at, value] : fields)
        EXPECT_EQ(Le32(bmp, at), value) << "at " << at;
    for (uint32_t y = 0; y < h; ++y) {
        const size_t row = 54 + size_t(y) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            const size_t src = (size_t(y) * w + x) * 3;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(uint8_t(bmp[row + x * 3 + c]), rgb[src + 2 - c]) << x << "," << y;
        }
        EXPECT_EQ(bmp[row + stride - 1], 0) << "padding of row " << y;
    }
}

TEST(BmpWriter, PalettedFilesCarryAPaletteOfTheRoundedDepth) {
    KR::BitmapDesc desc{5, 2, 1, 8};
    const std::vector<uint8_t> info = KR::CreateBitmapInfoStruct(desc);
    ASSERT_EQ(info.size(), 40u + 256 * 4);
    const std::string header(info.begin(), info.end());
    EXPECT_EQ(Le32(header, 20), 8u * 2);  // rows of 5 bytes padded to 8
    EXPECT_EQ(Le32(header, 32), 256u);
    desc.bits_per_pixel = 3;  // rounds up to 4 bits: 16 colours
    EXPECT_EQ(KR::CreateBitmapInfoStruct(desc).size(), 40u + 16 * 4);

    // The grey writer: palette entry i is grey i, between the headers and the padded rows.
    const uint8_t values[3 * 2] = {0, 128, 255, 7, 8, 9};
    const std::string file = QorTest::ScratchFile("grey8.bmp");
    KR::SaveGrey2BMP(file.c_str(), 3, 2, values);
    const std::string bmp = QorTest::ReadBytes(file);
    ASSERT_EQ(bmp.size(), 14u + 40 + 1024 + 4 * 2);
    EXPECT_EQ(Le32(bmp, 10), 14u + 40 + 1024);
    EXPECT_EQ(Le32(bmp, 28) & 0xFFFF, 8u);
    EXPECT_EQ(Le32(bmp, 46), 256u);
    for (int i : {0, 77, 200, 255})
        EXPECT_EQ(Le32(bmp, 54 + 4 * i), uint32_t(i * 0x010101)) << i;
    EXPECT_EQ(bmp.substr(54 + 1024), std::string("\0\x80\xFF\0\7\x8\x9\0", 8));
}

TEST(BmpWriter, RefusesBadSizesAndReportsUnwritableFiles) {
    const uint8_t rgb[12] = {};
    EXPECT_THROW(KR::SaveRGB2BMP(QorTest::ScratchFile("a.bmp").c_str(), 0, 2, rgb), KR::Error);
    EXPECT_THROW(KR::SaveRGB2BMP(QorTest::ScratchFile("a.bmp").c_str(), 2, -2, rgb), KR::Error);
    EXPECT_THROW(KR::CreateBitmapInfoStruct({100000, 100000, 1, 24}), KR::Error);
    try {
        KR::SaveRGB2BMP("/nonexistent-folder/a.bmp", 2, 2, rgb);
        FAIL();
    } catch (const KR::ErrorFile& e) {
        EXPECT_EQ(e.Message(), "KR::CreateBMPFile: CreateFile");
    }
    // A full device accepts the open but not the bytes.
    std::vector<uint8_t> big(size_t(512) * 512 * 3);
    EXPECT_THROW(KR::SaveRGB2BMP("/dev/full", 512, 512, big.data()), KR::ErrorFile);
}

}  // namespace
