#include "kr/base/console.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kr/test_files.h"

namespace {

TEST(Console, EveryWriteReachesStreamAndLogAtOnce) {
    KR::Console console;
    std::ostringstream screen;
    console.SetStream(&screen);
    const std::string log = QorTest::ScratchFile("console.txt");
    QorTest::WriteBytes(log, "old contents that must go");
    console.Init(log.c_str());
    ASSERT_TRUE(console.HasLogFile());

    console << "NumberOfProcessors:     " << 2 << "\n" << 1.5f << ' ' << 0.1 << "\n";
    const std::string expected = "NumberOfProcessors:     2\n1.5 0.1\n";
    EXPECT_EQ(screen.str(), expected);
    // Flushed without closing: a crash now would keep the log.
    EXPECT_EQ(QorTest::ReadBytes(log), expected);
    console.Close();
    EXPECT_FALSE(console.HasLogFile());
    console << "after close\n";
    EXPECT_EQ(QorTest::ReadBytes(log), expected);
}

TEST(Console, AnUnwritableLogLeavesTheConsoleWorking) {
    KR::Console console;
    std::ostringstream screen;
    console.SetStream(&screen);
    console.Init("/nonexistent-folder/console.txt");
    EXPECT_FALSE(console.HasLogFile());
    console << "still here\n";
    EXPECT_NE(screen.str().find("still here\n"), std::string::npos);
    EXPECT_NE(screen.str().find("/nonexistent-folder/console.txt"), std::string::npos);
}

}  // namespace
