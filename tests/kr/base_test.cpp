// The base and math units: errors, console, name list, random numbers, text, vectors, matrices.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "kr/base/align16.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/base/gl_error.h"
#include "kr/base/name_lib.h"
#include "kr/base/named_resource.h"
#include "kr/base/random.h"
#include "kr/base/string_convert.h"
#include "kr/base/text_file.h"
#include "kr/base/utils.h"
#include "kr/error_text.h"
#include "kr/math/matrix.h"
#include "kr/math/vector.h"
#include "support/test_files.h"

namespace {

using KR::Matrix4x4;
using KR::Vector4;

using QorTest::ErrorOf;

TEST(Error, TextsCaptionsAndShowingThemOnDisplayAndMirror) {
    KR::Error plain("vertex_2d_field::Allocate", ": Can't allocate cluster vertex!");
    EXPECT_EQ(plain.Message(), "vertex_2d_field::Allocate: Can't allocate cluster vertex!");
    EXPECT_STREQ(plain.what(), plain.Message().c_str());
    // Each type keeps its text and caption; a one-character parameter or file is not shown.
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

    EXPECT_STREQ(KR::GLErrorName(GL_STACK_UNDERFLOW), "GL_STACK_UNDERFLOW");
    EXPECT_STREQ(KR::GLErrorName(0x0506), "Unknown error!");
    EXPECT_EQ(ErrorOf<KR::ErrorGL>([] { KR::ThrowGLError("Draw: ", GL_INVALID_VALUE); }, true),
              "Draw: GL_INVALID_VALUE\n\nOpenGL error code:1281");

    // Shown errors reach the display hook with their caption, and the mirror file.
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
    EXPECT_EQ(QorTest::ReadBytes(mirror), shown[0].first + shown[1].first);
    EXPECT_FALSE(std::filesystem::exists(QorTest::ScratchFile("other.txt")));
    EXPECT_EQ(ErrorOf([] { KR::ErrorSetFile("/nonexistent-folder/errors.txt"); }, true),
              "KR::ErrorSetFile: Can't open file for mirroring errors!\n\nFile: "
              "/nonexistent-folder/errors.txt");
}

TEST(Console, EveryWriteReachesStreamAndLogAtOnce) {
    KR::Console console;
    std::ostringstream screen;
    console.SetStream(&screen);
    const std::string log = QorTest::ScratchFile("console.txt");
    QorTest::WriteBytes(log, "old contents that must go");
    console.Init(log.c_str());
    console << "NumberOfProcessors:     " << 2 << "\n" << 1.5f << ' ' << 0.1 << "\n";
    const std::string expected = "NumberOfProcessors:     2\n1.5 0.1\n";
    EXPECT_EQ(screen.str(), expected);
    // Flushed without closing: a crash now would keep the log.
    EXPECT_EQ(QorTest::ReadBytes(log), expected);
    console.Close();
    console << "after close\n";
    EXPECT_EQ(QorTest::ReadBytes(log), expected);

    // An unwritable log leaves the console working and says so there.
    console.Init("/nonexistent-folder/console.txt");
    EXPECT_FALSE(console.HasLogFile());
    console << "still here\n";
    EXPECT_NE(screen.str().find("/nonexistent-folder/console.txt"), std::string::npos);
    EXPECT_NE(screen.str().find("still here\n"), std::string::npos);
}

struct Item : KR::NamedResource {
    static int alive;
    Item() { ++alive; }
    ~Item() { --alive; }
};
int Item::alive = 0;

// The list as its items' letters, from the head and (reversed) from the tail.
std::string Walk(const KR::NameLib<Item>& lib, const Item* a) {
    std::string forward, backward;
    for (auto* e = lib.head; e; e = e->next)
        forward += char('a' + (e->data - a));
    for (auto* e = lib.tail; e; e = e->prev)
        backward.insert(backward.begin(), char('a' + (e->data - a)));
    EXPECT_EQ(forward, backward);
    return forward;
}

TEST(NameLib, IterationRestartsAfterTheEndRemoveRelinksAndNamedAddOwnsUntilClear) {
    KR::NameLib<Item> lib("class Item");
    Item items[4], stranger;
    Item *a = &items[0], *b = &items[1], *c = &items[2], *d = &items[3];
    EXPECT_EQ(lib.First(), nullptr);
    for (Item& item : items)
        lib.add(&item);
    EXPECT_EQ(lib.First(), a);
    for (Item* next : {b, c, d, static_cast<Item*>(nullptr), static_cast<Item*>(nullptr), b})
        EXPECT_EQ(lib.Next(), next);  // the second end restarts at the head
    EXPECT_EQ(lib.remove(&stranger), -2);
    EXPECT_EQ(lib.remove(b), 1);  // the cursor moves on
    EXPECT_EQ(lib.cursor->data, c);
    EXPECT_EQ(Walk(lib, a), "acd");
    EXPECT_EQ(lib.remove(a), 1);  // head
    EXPECT_EQ(Walk(lib, a), "cd");
    EXPECT_EQ(lib.remove(d), 1);  // tail
    EXPECT_EQ(Walk(lib, a), "c");
    EXPECT_EQ(lib.Count(), 1);
    EXPECT_EQ(lib.remove(c), 1);
    EXPECT_EQ(Walk(lib, a), "");
    // Named adds make their objects, and clear deletes them; names are cut at 31.
    EXPECT_STREQ(lib.add("first")->name, "first");
    EXPECT_EQ(std::string(lib.add(std::string(40, 'n').c_str())->name), std::string(31, 'n'));
    EXPECT_EQ(Item::alive, 7);
    lib.clear();
    EXPECT_EQ(Item::alive, 5);
    EXPECT_TRUE(lib.head == nullptr && lib.Count() == 0);
    lib.add(a);  // the items go first: destruction frees the element, deleting a would crash
}

constexpr uint32_t kMmx = 1u << 23, kFxsave = 1u << 24, kSse = 1u << 25, kSse2 = 1u << 26;

TEST(Utils, ProcessorFeaturesClockTextFilesAndAlignment) {
    const KR::ProcessorFeatures all = KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse | kSse2, 1);
    EXPECT_EQ(all.mmx + all.sse + all.sse2 + all.sse3 + all.fxsave, 5);
    EXPECT_NO_THROW(KR::CheckProcessorFeatures(all));
    EXPECT_EQ(
        ErrorOf([] {
            KR::CheckProcessorFeatures(KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse2, 0));
        }),
        "KR::UtilsInit: Instructions not supported:\n\nMMX: yes, SSE: no, SSE2: yes, "
        "SSE3: no, FXSAVE: yes\n\nMMX and SSE required!");
    EXPECT_THROW(KR::CheckProcessorFeatures(KR::DecodeProcessorFeatures(kSse, 0)), KR::Error);
    EXPECT_NO_THROW(KR::UtilsInit());  // this machine runs the program, so it must pass

    const double start = KR::GetTime();  // the clock runs in seconds
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(KR::GetTime() - start, 0.019);
    EXPECT_LT(KR::GetTime() - start, 5.0);

    const std::string bytes("line\r\nwith\0zero\n", 16), file = QorTest::ScratchFile("text.txt");
    QorTest::WriteBytes(file, bytes);
    const std::string loaded = KR::LoadTextFile(file.c_str());
    EXPECT_EQ(loaded, bytes);
    EXPECT_EQ(loaded.c_str()[loaded.size()], '\0');
    for (const std::string& bad :
         {QorTest::ScratchFile("missing.txt"), QorTest::ScratchDir().string()})
        EXPECT_EQ(ErrorOf([&] { KR::LoadTextFile(bad.c_str()); }, true),
                  "KR::LoadTextFile: Failed to open the file.\n\nFile: " + bad);

    struct alignas(16) Aligned : KR::Align16 {
        float v[4];
        char tail;
    };
    for (int i = 1; i < 64; ++i) {
        std::unique_ptr<Aligned> one(new Aligned);
        std::unique_ptr<Aligned[]> many(new Aligned[i]);
        EXPECT_EQ((uintptr_t(one.get()) | uintptr_t(many.get())) % 16, 0u);
    }
}

TEST(Random, SequenceIsTheClassic15BitGeneratorAndRangesReachTheirUpperEnd) {
    KR::RandomSeed(1);
    for (int value : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(KR::Rand(), value);
    // Each thread starts its own sequence as if seeded with 1.
    int first_on_thread = -1;
    std::thread([&] { first_on_thread = KR::Rand(); }).join();
    EXPECT_EQ(first_on_thread, 41);

    // Skipping ahead lands where drawing one by one does, so threads can share a sequence.
    KR::RandomSeed(777);
    const uint32_t start = KR::GetRandomState();
    for (uint64_t n : {0ull, 1ull, 3ull, 1000ull, 65537ull}) {
        KR::SetRandomState(start);
        for (uint64_t i = 0; i < n; ++i)
            KR::Rand();
        EXPECT_EQ(KR::RandomStateAfter(start, n), KR::GetRandomState()) << n;
    }

    int seed = 0;  // one whose first draw is the largest value: the upper end, never past it
    while (KR::RandomSeed(seed), KR::Rand() != KR::kRandMax)
        ++seed;
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomInt(-3, 3), 3);
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomFloat(-2.5f, 7.25f), 7.25f);
}

template <class T>
bool StreamReads(const char* text, T& value) {
    std::istringstream in(text);
    in >> value;
    return !in.fail();
}

TEST(StringConvert, IntAndFloatReadLikeStreamExtractionWithTheLibrarysBits) {
    // clang-format off
    const char* const samples[] = {
        "0", "12", "-7", "+5", "  \t\n42", "12abc", "1.5", "-0", "007", ".5", "5.", "-.25e-3x",
        "1e5", "1E+05", "3.4e38", "1e39", "-1e39", "1e-40", "1e-50", "0x10", "1e", "1e+", "2.5e-",
        "", " ", "abc", "-", "+", "+-1", "--1", ".", "nan", "inf", "2147483647", "2147483648",
        "-2147483648", "-2147483649", "99999999999999999999", "12.3457", "1.5.3", "1e5.5", "e5",
        "4294967296", "0.000000000000000000000000000000000000000000001", "1,5",
    };
    // clang-format on
    for (const char* text : samples) {
        SCOPED_TRACE(text);
        int i = 0;
        if (StreamReads(text, i)) {
            EXPECT_EQ(KR::StringToInt(text), i);
        } else {
            EXPECT_THROW(KR::StringToInt(text), KR::ErrorParam);
        }
        float f = 0;
        if (StreamReads(text, f)) {
            const float got = KR::StringToFloat(text);
            EXPECT_EQ(got, f);
            EXPECT_EQ(std::signbit(got), std::signbit(f));
        } else {
            EXPECT_THROW(KR::StringToFloat(text), KR::ErrorParam);
        }
    }
    EXPECT_EQ(ErrorOf([] { KR::StringToInt(nullptr); }, true),  // a missing attribute
              "KR::StringToInt: Conversion error!");
    EXPECT_EQ(ErrorOf([] { KR::StringToFloat("x"); }, true),
              "KR::StringToFloat: Conversion error!");
    // Plain decimals take a short way of their own; it must give the library's bits, ties included.
    auto expect_library = [](const char* text) {
        const char* begin = text + (*text == '+');
        float expected = 0;
        std::from_chars(begin, begin + std::strlen(begin), expected);
        EXPECT_EQ(std::bit_cast<uint32_t>(KR::StringToFloat(text)),
                  std::bit_cast<uint32_t>(expected))
            << text;
    };
    // clang-format off
    for (const char* text : {"16777217", "16777219", "3.32147264998639e-5", "6.77605491716804e-8",
                             "8.79933504620567e-4", "1.03969007730484", "9.94321584701538", "0.1",
                             "-0", "+0.000123457", "1e-07", "1.17549e-38", "1.17549435e-38",
                             "3.40282e+38", "340282346638528859811704183484516925440", "9.99999e22",
                             "1.4e-45", "123456789012345.6", "0.000000000000000000000001", "70",
                             "12.3457", "-3.14159", "123456", "2.5e+12"})
        expect_library(text);
    // clang-format on
    // Every 65537th bit pattern, written as the scene saver and as the shortest text do.
    char text[64];
    for (uint64_t bits = 0; bits < (1ull << 32); bits += 65537) {
        const float value = std::bit_cast<float>(uint32_t(bits));
        if (!std::isfinite(value)) continue;
        *std::to_chars(text, text + 63, value, std::chars_format::general, 6).ptr = 0;
        expect_library(text);
        *std::to_chars(text, text + 63, value).ptr = 0;
        expect_library(text);
    }
}

void ExpectNear(const Vector4& v, float x, float y, float z, float w) {
    for (auto [got, want] : {std::pair{v.x, x}, {v.y, y}, {v.z, z}, {v.w, w}})
        EXPECT_NEAR(got, want, 1e-6f);
}

TEST(VectorAndMatrix, WStaysOutWhereItShouldTransformsFollowOpenGLAndInverseUndoes) {
    static_assert(alignof(Vector4) == 16 && sizeof(Vector4) == 16);
    ExpectNear(Vector4(1.0f, 2.0f), 1, 2, 0, 0);  // built from fewer components: w is 0, not 1
    const Vector4 v(3.0f, 4.0f, 0.0f, 5.0f);
    EXPECT_EQ(v.Length(), 5.0f);
    EXPECT_EQ(v.HorizontalLength(), 5.0f);
    ExpectNear(v.Normalized(), 0.6f, 0.8f, 0.0f, 1.0f);
    Vector4 with_w(0.0f, 0.0f, 3.0f, 4.0f);
    with_w.Normalize();  // in place, w takes part
    ExpectNear(with_w, 0.0f, 0.0f, 0.6f, 0.8f);
    EXPECT_EQ(Vector4(1, 2, 3, 4).Dot(Vector4(5, 6, 7, 8)), 70.0f);  // w counts here

    EXPECT_EQ(KR::Distance(KR::Vector2(1.0f, 1.0f), KR::Vector2(4.0f, 5.0f)), 5.0f);
    EXPECT_NEAR(KR::Vector2(6.0f, 8.0f).Normalized().y, 0.8f, 1e-7f);

    static_assert(alignof(Matrix4x4) == 16 && sizeof(Matrix4x4) == 64);
    const Matrix4x4 t = Matrix4x4::Translation(1, 2, 3);
    const Matrix4x4 stored(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    EXPECT_EQ(stored(1, 2), 9.0f);  // row 1, column 2 is element 4 * 2 + 1
    ExpectNear(stored.Row(1), 1, 5, 9, 13);
    ExpectNear(stored.Transpose().Row(1), 4, 5, 6, 7);
    EXPECT_EQ(0, std::memcmp(Matrix4x4().m, Matrix4x4::Identity().m, sizeof(float) * 16));

    ExpectNear(Matrix4x4::RotationZ(90).Transform(1, 0, 0), 0, 1, 0, 1);
    ExpectNear(Matrix4x4::RotationX(90).Transform(0, 1, 0), 0, 0, 1, 1);
    ExpectNear((t * Matrix4x4::RotationZ(90)).Transform(1, 0, 0), 1, 3, 3, 1);
    ExpectNear(Matrix4x4::Scale(2, 3, 4).Transform(1, 1, 1), 2, 3, 4, 1);

    // In-place forms are exactly the products with the factor on the right.
    Matrix4x4 chain = t;
    chain.RotateX(30);
    chain.RotateZ(-75);
    chain.ScaleBy(2, 0.5f, 3);
    const Matrix4x4 product =
        t * Matrix4x4::RotationX(30) * Matrix4x4::RotationZ(-75) * Matrix4x4::Scale(2, 0.5f, 3);
    EXPECT_EQ(0, std::memcmp(chain.m, product.m, sizeof(float) * 16));

    // A perspective projection leaves w as the distance in front of the eye, undivided.
    const Matrix4x4 projection(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.2f, -1, 0, 0, -2.2f, 0);
    ExpectNear(projection.Transform(1, 2, -10), 1, 2, 9.8f, 10);
    // The inverse undoes the matrix and falls back to the identity only for exact zero.
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    for (int n = 0; n < 200; ++n) {
        Matrix4x4 a;
        for (float& e : a.m)
            e = d(gen);
        const Matrix4x4 inv = a.Inverse(), product = inv * a;
        float det_scale = 0.0f;  // skip nearly singular draws, where the check loses meaning
        for (float e : inv.m)
            det_scale = std::fmax(det_scale, std::fabs(e));
        if (det_scale > 50.0f) continue;
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(product(k / 4, k % 4), k % 5 == 0 ? 1.0f : 0.0f, 1e-3f) << n;
    }
    Matrix4x4 singular = Matrix4x4::Identity();
    singular.m[5] = 0.0f;  // a zero row: determinant exactly 0
    EXPECT_EQ(0, std::memcmp(singular.Inverse().m, Matrix4x4::Identity().m, sizeof(float) * 16));
    Matrix4x4 broken = Matrix4x4::Identity();
    broken.m[0] = NAN;
    EXPECT_TRUE(std::isnan(broken.Inverse().m[5]));  // divides through, no identity
}

}  // namespace
