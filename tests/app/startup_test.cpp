// The start-up report and the thread decision, as the log shows them.

#include <gtest/gtest.h>

#include <string>

#include "app/startup_report.h"
#include "support/console_capture.h"
#include "support/test_files.h"
#include "terrain/app_settings.h"
#include "terrain/terrain_generation_info.h"

namespace {

TEST(StartUp, ReportAndThreadModeWithAndWithoutAConfiguration) {
    // Processors, architecture, level, revision, page size, allocation granularity, OS 6.1.
    app::system_info info{2, 9, 25, 257, 4096, 4096, 6, 1};
    // 5 March 2008, 14:07:09 local time.
    std::tm when{};
    when.tm_year = 108, when.tm_mon = 2, when.tm_mday = 5;
    when.tm_hour = 14, when.tm_min = 7, when.tm_sec = 9, when.tm_isdst = -1;
    const std::time_t now = std::mktime(&when);
    const std::string report =
        "QOR - Brenmoor - water and landscape experiments\n"
        "Generated:  14:07:09 03/05/08\n\n"
        "SystemInfo\n----------\n"
        "NumberOfProcessors:     2\n"
        "Processor:              AMD64 (Arch: 9, Level: 25, Revision: 257)\n"
        "PageSize:               4096\n"
        "AllocationGranularity:  4096\n"
        "OperatingSystem:        MajorVersion: 6, MinorVersion: 1\n";
    const std::string multi = "Using multi thread mode.\n\n\n";
    const std::string single = "Using single thread mode.\n\n\n";

    auto start = [&](const std::string& config, unsigned processors, std::string& log) {
        info.processors = processors;
        terrain_generation_info generation;
        QorTest::ConsoleCapture capture;
        const bool threads = app::StartUp(config, info, now, generation);
        log = capture.str();
        return threads;
    };
    std::string log;
    EXPECT_TRUE(start("", 2, log));
    EXPECT_EQ(log, report + multi);
    EXPECT_FALSE(start("", 1, log));
    EXPECT_EQ(log.substr(log.size() - single.size()), single);

    const std::string off = QorTest::ScratchFile("single.xml");
    QorTest::WriteBytes(off, "<ini><program multithreading=\"0\"/><terrain x=\"40\"/></ini>");
    EXPECT_FALSE(start(off, 2, log));
    EXPECT_EQ(log, report + single);
    const std::string on = QorTest::ScratchFile("multi.xml");
    QorTest::WriteBytes(on, "<ini><program multithreading=\"1\"/></ini>");
    EXPECT_TRUE(start(on, 1, log));
    EXPECT_EQ(log.substr(log.size() - multi.size()), multi);
    // A file that is not there is said so, and the defaults stay.
    EXPECT_TRUE(start(QorTest::ScratchFile("missing.xml"), 2, log));
    EXPECT_NE(log.find("Bad config file or file format: "), std::string::npos);
    program = program_settings{};

    EXPECT_STREQ(app::ArchitectureName(10), "IA32 on Win64");
    EXPECT_STREQ(app::ArchitectureName(5), "Unknown");
}

}  // namespace
