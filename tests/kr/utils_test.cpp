#include "kr/base/utils.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "kr/base/align16.h"
#include "kr/base/error.h"
#include "kr/base/gl_error.h"
#include "kr/base/random.h"
#include "kr/test_files.h"
#include "kr/base/text_file.h"

namespace {

constexpr uint32_t kMmx = 1u << 23, kFxsave = 1u << 24, kSse = 1u << 25, kSse2 = 1u << 26;

TEST(ProcessorCheck, DecodesFeatureBitsAndRequiresMmxAndSse) {
    const KR::ProcessorFeatures all = KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse | kSse2, 1);
    EXPECT_EQ(all.mmx + all.sse + all.sse2 + all.sse3 + all.fxsave, 5);
    EXPECT_NO_THROW(KR::CheckProcessorFeatures(all));

    const KR::ProcessorFeatures no_sse = KR::DecodeProcessorFeatures(kMmx | kFxsave | kSse2, 0);
    EXPECT_EQ(no_sse.sse, 0);
    EXPECT_EQ(no_sse.sse3, 0);
    try {
        KR::CheckProcessorFeatures(no_sse);
        FAIL() << "a processor without SSE passed";
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(),
                  "KR::UtilsInit: Instructions not supported:\n\nMMX: yes, SSE: no, SSE2: yes, "
                  "SSE3: no, FXSAVE: yes\n\nMMX and SSE required!");
    }
    EXPECT_THROW(KR::CheckProcessorFeatures(KR::DecodeProcessorFeatures(kSse, 0)), KR::Error);
    // This machine runs the program, so it must pass.
    EXPECT_NO_THROW(KR::UtilsInit());
}

TEST(Clock, RunsForwardInSeconds) {
    const double start = KR::GetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double elapsed = KR::GetTime() - start;
    EXPECT_GE(elapsed, 0.019);
    EXPECT_LT(elapsed, 5.0);
}

TEST(Random, SequenceIsTheClassic15BitGenerator) {
    KR::RandomSeed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(KR::Rand(), value);

    // Each thread starts its own sequence as if seeded with 1.
    int first_on_thread = -1;
    std::thread([&] { first_on_thread = KR::Rand(); }).join();
    EXPECT_EQ(first_on_thread, 41);

    KR::RandomSeed(12345);
    const int a = KR::Rand();
    KR::RandomSeed(12345);
    EXPECT_EQ(KR::Rand(), a);

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
    // Find a seed whose first draw is the largest value.
    int seed = 0;
    for (;; ++seed) {
        KR::RandomSeed(seed);
        if (KR::Rand() == KR::kRandMax) break;
    }
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomInt(0, 3), 3);
    KR::RandomSeed(seed);
    EXPECT_EQ(KR::RandomFloat(-2.5f, 7.25f), 7.25f);

    KR::RandomSeed(7);
    for (int i = 0; i < 20000; ++i) {
        const int n = KR::RandomInt(-3, 3);
        ASSERT_GE(n, -3);
        ASSERT_LE(n, 3);
        const float f = KR::RandomFloat(1.0f, 2.0f);
        ASSERT_GE(f, 1.0f);
        ASSERT_LE(f, 2.0f);
    }
}

TEST(GLError, NamesEveryErrorAndRaisesWithPlaceAndCode) {
    EXPECT_STREQ(KR::GLErrorName(GL_INVALID_ENUM), "GL_INVALID_ENUM");
    EXPECT_STREQ(KR::GLErrorName(GL_INVALID_VALUE), "GL_INVALID_VALUE");
    EXPECT_STREQ(KR::GLErrorName(GL_INVALID_OPERATION), "GL_INVALID_OPERATION");
    EXPECT_STREQ(KR::GLErrorName(GL_STACK_OVERFLOW), "GL_STACK_OVERFLOW");
    EXPECT_STREQ(KR::GLErrorName(GL_STACK_UNDERFLOW), "GL_STACK_UNDERFLOW");
    EXPECT_STREQ(KR::GLErrorName(GL_OUT_OF_MEMORY), "GL_OUT_OF_MEMORY");
    EXPECT_STREQ(KR::GLErrorName(0x0506), "Unknown error!");
    try {
        KR::ThrowGLError("terrain.cpp: Draw(): Main GL check (init): ", GL_INVALID_VALUE);
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
    const std::string bytes("line\r\nwith\0zero\n", 16);
    const std::string file = qor_test::ScratchFile("text.txt");
    qor_test::WriteBytes(file, bytes);
    const std::string loaded = KR::LoadTextFile(file.c_str());
    EXPECT_EQ(loaded, bytes);
    EXPECT_EQ(loaded.c_str()[loaded.size()], '\0');

    qor_test::WriteBytes(qor_test::ScratchFile("empty.txt"), "");
    EXPECT_EQ(KR::LoadTextFile(qor_test::ScratchFile("empty.txt").c_str()), "");

    for (const std::string& bad :
         {qor_test::ScratchFile("missing.txt"), qor_test::ScratchDir().string()}) {
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
