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

uint16_t Le16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
}

TEST(BmpWriter, CaptureOfAnOddWidthIsByteExact) {
    // 641 pixels of 3 bytes are 1923 bytes, padded to 1924.
    const int w = 641, h = 3;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::string file = qor_test::ScratchFile("capture.bmp");
    KR::SaveRGB2BMP(file.c_str(), w, h, rgb.data());

    const std::string bmp = qor_test::ReadBytes(file);
    const uint32_t stride = 1924;
    ASSERT_EQ(bmp.size(), 54 + stride * h);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 6), 0u);
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), uint32_t(w));
    EXPECT_EQ(Le32(bmp, 22), uint32_t(h));
    EXPECT_EQ(Le16(bmp, 26), 1);
    EXPECT_EQ(Le16(bmp, 28), 24);
    EXPECT_EQ(Le32(bmp, 30), 0u);
    EXPECT_EQ(Le32(bmp, 34), stride * h);
    EXPECT_EQ(Le32(bmp, 46), 0u);  // no palette
    for (int y = 0; y < h; ++y) {
        const size_t row = 54 + size_t(y) * stride;
        for (int x = 0; x < w; ++x) {
            const size_t src = (size_t(y) * w + x) * 3;
            ASSERT_EQ(uint8_t(bmp[row + x * 3 + 0]), rgb[src + 2]);
            ASSERT_EQ(uint8_t(bmp[row + x * 3 + 1]), rgb[src + 1]);
            ASSERT_EQ(uint8_t(bmp[row + x * 3 + 2]), rgb[src + 0]);
        }
        EXPECT_EQ(bmp[row + stride - 1], 0) << "padding of row " << y;
    }
}

TEST(BmpWriter, PalettedHeaderCarriesAPaletteOfTheRoundedDepth) {
    KR::BitmapDesc desc;
    desc.width = 5;
    desc.height = 2;
    desc.bits_per_pixel = 8;
    const std::vector<uint8_t> info = KR::CreateBitmapInfoStruct(desc);
    ASSERT_EQ(info.size(), 40u + 256 * 4);
    const std::string header(info.begin(), info.end());
    EXPECT_EQ(Le32(header, 20), 8u * 2);  // rows of 5 bytes padded to 8
    EXPECT_EQ(Le32(header, 32), 256u);

    desc.bits_per_pixel = 3;  // rounds up to 4 bits: 16 colours
    EXPECT_EQ(KR::CreateBitmapInfoStruct(desc).size(), 40u + 16 * 4);

    // Palette entries lie between the headers and the pixels.
    std::vector<uint8_t> grey = KR::CreateBitmapInfoStruct({5, 2, 1, 8});
    for (int i = 0; i < 256; ++i)
        std::memset(&grey[40 + i * 4], i, 3);
    const uint8_t pixels[16] = {0, 1, 2, 3, 255, 0, 0, 0, 9, 9, 9, 9, 9, 0, 0, 0};
    const std::string file = qor_test::ScratchFile("grey.bmp");
    KR::CreateBMPFile(file.c_str(), grey, pixels);
    const std::string bmp = qor_test::ReadBytes(file);
    ASSERT_EQ(bmp.size(), 14u + 40 + 1024 + 16);
    EXPECT_EQ(Le32(bmp, 10), 14u + 40 + 1024);
    EXPECT_EQ(uint8_t(bmp[14 + 40 + 4 * 200]), 200);
    EXPECT_EQ(uint8_t(bmp[14 + 40 + 1024 + 4]), 255);
}

TEST(BmpWriter, GreyImagesCarryAGreyPaletteAndPaddedRows) {
    const uint8_t values[3 * 2] = {0, 128, 255, 7, 8, 9};
    const std::string file = qor_test::ScratchFile("grey8.bmp");
    KR::SaveGrey2BMP(file.c_str(), 3, 2, values);
    const std::string bmp = qor_test::ReadBytes(file);
    ASSERT_EQ(bmp.size(), 14u + 40 + 1024 + 4 * 2);
    EXPECT_EQ(Le16(bmp, 28), 8);
    EXPECT_EQ(Le32(bmp, 46), 256u);
    EXPECT_EQ(uint8_t(bmp[54 + 4 * 77 + 1]), 77);  // palette entry 77 is grey 77
    const size_t pixels = 54 + 1024;
    EXPECT_EQ(uint8_t(bmp[pixels + 1]), 128);
    EXPECT_EQ(uint8_t(bmp[pixels + 3]), 0);  // row padding
    EXPECT_EQ(uint8_t(bmp[pixels + 4 + 2]), 9);
}

TEST(BmpWriter, RefusesBadSizesAndReportsUnwritableFiles) {
    const uint8_t rgb[12] = {};
    EXPECT_THROW(KR::SaveRGB2BMP(qor_test::ScratchFile("a.bmp").c_str(), 0, 2, rgb), KR::Error);
    EXPECT_THROW(KR::SaveRGB2BMP(qor_test::ScratchFile("a.bmp").c_str(), 2, -2, rgb), KR::Error);
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
