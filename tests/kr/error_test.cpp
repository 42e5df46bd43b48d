#include "kr/base/error.h"

#include <gtest/gtest.h>

#include <vector>

#include "kr/test_files.h"

namespace {

TEST(Error, MessageJoinsPlaceAndDetailAndEachTypeAddsItsField) {
    KR::Error plain("vertex_2d_field::Allocate", ": Can't allocate cluster vertex!");
    EXPECT_EQ(plain.Message(), "vertex_2d_field::Allocate: Can't allocate cluster vertex!");
    EXPECT_STREQ(plain.what(), plain.Message().c_str());
    // A one-character parameter or file name is not worth showing. Caught as the base, each
    // keeps its own text and caption.
    auto expect = [](const KR::Error& e, const std::string& text, const std::string& caption) {
        EXPECT_EQ(e.FullText(), text);
        EXPECT_EQ(e.Caption(), caption);
    };
    expect(plain, plain.Message(), "Error");
    expect(KR::ErrorMem("f", ": a", 0), "f: a", "Memory Error");
    expect(KR::ErrorMem("f", ": a", 4096), "f: a\n\nMemory block: 4096 bytes", "Memory Error");
    expect(KR::ErrorParam("f", ": a", "x"), "f: a", "Parameter Error");
    expect(KR::ErrorParam("f", ": a", "xy"), "f: a\n\nWrong parameter: xy", "Parameter Error");
    expect(KR::ErrorFile("f", ": a", ""), "f: a", "File Error");
    expect(KR::ErrorFile("f", ": a", "scene.qor"), "f: a\n\nFile: scene.qor", "File Error");
    expect(KR::ErrorGL("f", ": a", 0), "f: a", "OpenGL Error");
    expect(KR::ErrorGL("f", ": a", 1280), "f: a\n\nOpenGL error code:1280", "OpenGL Error");
}

TEST(Error, ShowHandsFullTextAndCaptionToDisplayAndMirror) {
    std::vector<std::pair<std::string, std::string>> shown;
    KR::SetErrorDisplay([&](const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    });
    const std::string mirror = QorTest::ScratchFile("mirror.txt");
    KR::ErrorSetFile(mirror.c_str());
    // A second name while a mirror is open changes nothing.
    KR::ErrorSetFile(QorTest::ScratchFile("other.txt").c_str());
    KR::ErrorFile("KR::Texture::load_cel", ": errno!=0", "tex/a.cel").show();
    KR::ErrorGL("stage: ", "GL_INVALID_ENUM", 1280).show();
    KR::ErrorSetFile(nullptr);
    KR::Error("not", ": mirrored").show();
    KR::SetErrorDisplay(nullptr);

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].first, "KR::Texture::load_cel: errno!=0\n\nFile: tex/a.cel");
    EXPECT_EQ(shown[0].second, "File Error");
    EXPECT_EQ(shown[1].second, "OpenGL Error");
    EXPECT_EQ(QorTest::ReadBytes(mirror), shown[0].first + shown[1].first);
    EXPECT_FALSE(std::filesystem::exists(QorTest::ScratchFile("other.txt")));

    try {
        KR::ErrorSetFile("/nonexistent-folder/errors.txt");
        FAIL() << "no error raised";
    } catch (const KR::ErrorFile& e) {
        EXPECT_EQ(e.Message(), "KR::ErrorSetFile: Can't open file for mirroring errors!");
        EXPECT_EQ(e.file, "/nonexistent-folder/errors.txt");
    }
}

}  // namespace
