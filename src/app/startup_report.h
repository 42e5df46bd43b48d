#pragma once
// The report every start writes first: the banner, the time it was generated and what the
// machine is.

#include <ctime>
#include <string>

struct terrain_generation_info;

namespace app {

struct system_info {
    unsigned processors = 1;
    int architecture = 0;  // the classic codes: 0 Intel, 9 AMD64, ...
    int level = 0, revision = 0;
    long page_size = 4096;
    long allocation_granularity = 4096;
    int os_major = 0, os_minor = 0;
};

// This machine's values: sysconf, uname and the processor's identification.
system_info ReadSystemInfo();

// The banner, "Generated:" with the local time of `now`, and the SystemInfo block.
std::string StartupReport(const system_info& info, std::time_t now);

// The start before the window: the report, the thread mode (more than one processor, unless
// the configuration says otherwise), the configuration file the command line names (an empty
// line names none) and the thread-mode line. The settings are the program's globals; the
// terrain parameters go to `generation`. Answers whether the worker thread is used.
bool StartUp(const std::string& command_line, const system_info& info, std::time_t now,
             terrain_generation_info& generation);

// The name of an architecture code ("AMD64" for 9, "Unknown" for codes without one).
const char* ArchitectureName(int code);

}  // namespace app
