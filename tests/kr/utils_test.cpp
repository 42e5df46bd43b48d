#include "kr/base/utils.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "kr/base/align16.h"
#include "kr/base/error.h"
#include "kr/base/gl_error.h"
#include "kr/base/random.h"
#include "kr/base/text_file.h"
#include "kr/test_files.h"

namespace {

constexpr uint32_t kMmx = 1u << 23, kFxsave = 1u << 24, kSse = 1u << 25, kSse2 = 1u << 26;

TEST(Utils, ProcessorFeaturesAndTheClockInSeconds) {
    const KR::ProcessorFeatures all = KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse | kSse2, 1);
    EXPECT_EQ(all.mmx + all.sse + all.sse2 + all.sse3 + all.fxsave, 5);
    EXPECT_NO_THROW(KR::CheckProcessorFeatures(all));
    const KR::ProcessorFeatures no_sse = KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse2, 0);
    try {
        KR::CheckProcessorFeatures(no_sse);
        FAIL() << "a processor without SSE passed";
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(),
                  "KR::UtilsInit: Instructions not supported:\n\nMMX: yes, SSE: no, SSE2: yes, "
                  "SSE3: no, FXSAVE: yes\n\nMMX and SSE required!");
    }
    EXPECT_THROW(KR::CheckProcessorFeatures(KR::DecodeProcessorFeatures(kSse, 0)), KR::Error);
    EXPECT_NO_THROW(KR::UtilsInit());  // this machine runs the program, so it must pass

    const double start = KR::GetTime();  // the clock runs in seconds
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(KR::GetTime() - start, 0.019);
    EXPECT_LT(KR::GetTime() - start, 5.0);
}

TEST(Random, SequenceIsTheClassic15BitGenerator) {
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
    for (uint64_t n : {0ull, 1ull, 2ull, 3ull, 1000ull, 65537ull}) {
        KR::SetRandomState(start);
        for (uint64_t i = 0; i < n; ++i)
            KR::Rand();
        EXPECT_EQ(KR::RandomStateAfter(start, n), KR::GetRandomState()) << n;
    }
}

TEST(Random, RangesIncludeTheirUpperEndButNeverPassIt) {
    int seed = 0;  // one whose first draw is the largest value
    for (KR::RandomSeed(seed); KR::Rand() != KR::kRandMax; KR::RandomSeed(++seed)) {
    }
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomInt(0, 3), 3);
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomFloat(-2.5f, 7.25f), 7.25f);

    KR::RandomSeed(7);
    for (int i = 0; i < 20000; ++i) {
        const int n = KR::RandomInt(-3, 3);
        ASSERT_TRUE(n >= -3 && n <= 3) << n;
        const float f = KR::RandomFloat(1.0f, 2.0f);
        ASSERT_TRUE(f >= 1.0f && f <= 2.0f) << f;
    }
}

TEST(GLError, NamesTheErrorAndRaisesWithPlaceAndCode) {
    EXPECT_STREQ(KR::GLErrorName(GL_STACK_UNDERFLOW), "GL_STACK_UNDERFLOW");
    EXPECT_STREQ(KR::GLErrorName(0x0506), "Unknown error!");
    try {
        KR::ThrowGLError("terrain.cpp: Draw(): Main GL check (init): ", GL_INVALID_VALUE);
        FAIL();
    } catch (const KR::ErrorGL& e) {
        EXPECT_EQ(e.Message(), "terrain.cpp: Draw(): Main GL check (init): GL_INVALID_VALUE");
        EXPECT_EQ(e.code, static_cast<uint32_t>(GL_INVALID_VALUE));
    }
}

struct alignas(16) Aligned : KR::Align16 {
    float v[4];
    char tail;
};

TEST(Align16, SingleAndArrayAllocationsLieOn16ByteBoundaries) {
    for (int i = 0; i < 64; ++i) {
        Aligned* one = new Aligned;
        Aligned* many = new Aligned[i + 1];
        EXPECT_EQ(reinterpret_cast<uintptr_t>(one) % 16, 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(many) % 16, 0u);
        delete one;
        delete[] many;
    }
}

TEST(LoadTextFile, ReadsRawBytesAndReportsUnreadableFiles) {
    const std::string bytes("line\r\nwith\0zero\n", 16), file = QorTest::ScratchFile("text.txt");
    QorTest::WriteBytes(file, bytes);
    const std::string loaded = KR::LoadTextFile(file.c_str());
    EXPECT_EQ(loaded, bytes);
    EXPECT_EQ(loaded.c_str()[loaded.size()], '\0');
    QorTest::WriteBytes(file, "");
    EXPECT_EQ(KR::LoadTextFile(file.c_str()), "");

    for (const std::string& bad :
         {QorTest::ScratchFile("missing.txt"), QorTest::ScratchDir().string()}) {
        try {
            KR::LoadTextFile(bad.c_str());
            FAIL() << bad << " loaded";
        } catch (const KR::ErrorFile& e) {
            EXPECT_EQ(e.Message(), "KR::LoadTextFile: Failed to open the file.");
            EXPECT_EQ(e.file, bad);
        }
    }
}

}  // namespace
