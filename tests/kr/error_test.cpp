#include "kr/base/error.h"

#include <gtest/gtest.h>

#include <vector>

#include "kr/test_files.h"

namespace {

struct Shown {
    std::string text, caption;
};

// Captures what errors show instead of writing to standard error.
class ErrorDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KR::SetErrorDisplay([this](const std::string& text, const std::string& caption) {
            shown.push_back({text, caption});
        });
    }
    void TearDown() override {
        KR::SetErrorDisplay(nullptr);
        KR::ErrorSetFile(nullptr);
    }
    std::vector<Shown> shown;
};

TEST(Error, MessageJoinsPlaceAndDetailAndEachTypeAddsItsField) {
    KR::Error plain("vertex_2d_field::Allocate", ": Can't allocate cluster vertex!");
    EXPECT_EQ(plain.Message(), "vertex_2d_field::Allocate: Can't allocate cluster vertex!");
    EXPECT_EQ(plain.FullText(), plain.Message());
    EXPECT_STREQ(plain.Caption(), "Error");
    EXPECT_STREQ(plain.what(), plain.Message().c_str());

    EXPECT_EQ(KR::ErrorMem("f", ": a", 0).FullText(), "f: a");
    EXPECT_EQ(KR::ErrorMem("f", ": a", 4096).FullText(), "f: a\n\nMemory block: 4096 bytes");
    EXPECT_STREQ(KR::ErrorMem("f", ": a").Caption(), "Memory Error");

    // A one-character parameter or file name is not worth showing.
    EXPECT_EQ(KR::ErrorParam("f", ": a", "x").FullText(), "f: a");
    EXPECT_EQ(KR::ErrorParam("f", ": a", "xy").FullText(), "f: a\n\nWrong parameter: xy");
    EXPECT_STREQ(KR::ErrorParam("f", ": a").Caption(), "Parameter Error");

    EXPECT_EQ(KR::ErrorFile("f", ": a", "").FullText(), "f: a");
    EXPECT_EQ(KR::ErrorFile("f", ": a", "scene.qor").FullText(), "f: a\n\nFile: scene.qor");
    EXPECT_STREQ(KR::ErrorFile("f", ": a").Caption(), "File Error");

    EXPECT_EQ(KR::ErrorGL("f", ": a", 0).FullText(), "f: a");
    EXPECT_EQ(KR::ErrorGL("f", ": a", 1280).FullText(), "f: a\n\nOpenGL error code:1280");
    EXPECT_STREQ(KR::ErrorGL("f", ": a").Caption(), "OpenGL Error");
}

TEST(Error, CaughtAsBaseKeepsItsOwnText) {
    try {
        throw KR::ErrorMem("KR::LoadTextFile", ": Not enough memory", 12);
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.FullText(), "KR::LoadTextFile: Not enough memory\n\nMemory block: 12 bytes");
        EXPECT_STREQ(e.Caption(), "Memory Error");
    }
}

TEST_F(ErrorDisplayTest, ShowHandsFullTextAndCaptionToDisplayAndMirror) {
    const std::string mirror = qor_test::ScratchFile("mirror.txt");
    KR::ErrorSetFile(mirror.c_str());
    // A second name while a mirror is open changes nothing.
    KR::ErrorSetFile(qor_test::ScratchFile("other.txt").c_str());

    KR::ErrorFile("KR::Texture::load_cel", ": errno!=0", "tex/a.cel").show();
    KR::ErrorGL("stage: ", "GL_INVALID_ENUM", 1280).show();
    KR::ErrorSetFile(nullptr);
    KR::Error("not", ": mirrored").show();

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "KR::Texture::load_cel: errno!=0\n\nFile: tex/a.cel");
    EXPECT_EQ(shown[0].caption, "File Error");
    EXPECT_EQ(shown[1].caption, "OpenGL Error");
    EXPECT_EQ(qor_test::ReadBytes(mirror), shown[0].text + shown[1].text);
    EXPECT_FALSE(std::filesystem::exists(qor_test::ScratchFile("other.txt")));
}

TEST_F(ErrorDisplayTest, MirrorFileThatCannotBeOpenedRaisesFileError) {
    try {
        KR::ErrorSetFile("/nonexistent-folder/errors.txt");
        FAIL() << "no error raised";
    } catch (const KR::ErrorFile& e) {
        EXPECT_EQ(e.Message(), "KR::ErrorSetFile: Can't open file for mirroring errors!");
        EXPECT_EQ(e.file, "/nonexistent-folder/errors.txt");
    }
}

}  // namespace
