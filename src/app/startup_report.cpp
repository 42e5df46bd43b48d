#include "app/startup_report.h"

#include <cpuid.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>

#include "kr/base/console.h"
#include "terrain/app_settings.h"
#include "terrain/config_file.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain_generation_info.h"

namespace app {

const char* ArchitectureName(int code) {
    switch (code) {
        case 0:
            return "Intel";
        case 1:
            return "MIPS";
        case 2:
            return "ALPHA";
        case 3:
            return "PPC";
        case 6:
            return "IA64";
        case 9:
            return "AMD64";
        case 10:
            return "IA32 on Win64";
        default:
            return "Unknown";
    }
}

system_info ReadSystemInfo() {
    system_info info;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info.processors = processors > 0 ? unsigned(processors) : 1u;
    info.page_size = sysconf(_SC_PAGESIZE);
    info.allocation_granularity = info.page_size;  // mmap's granularity is the page
    utsname name{};
    if (uname(&name) == 0) {
        std::sscanf(name.release, "%d.%d", &info.os_major, &info.os_minor);
        const std::string machine = name.machine;
        info.architecture = machine == "x86_64"                      ? 9
                            : machine == "i686" || machine == "i386" ? 0
                            : machine == "ia64"                      ? 6
                                                                     : -1;
    }
    // Level and revision as the classic report gave them: family, then model and stepping.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        int family = int(eax >> 8 & 0xF), model = int(eax >> 4 & 0xF);
        if (family == 0xF) family += int(eax >> 20 & 0xFF);
        if (family == 0x6 || family >= 0xF) model += int(eax >> 16 & 0xF) << 4;
        info.level = family;
        info.revision = model << 8 | int(eax & 0xF);
    }
    return info;
}

std::string StartupReport(const system_info& info, std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[1024];
    std::snprintf(text, sizeof text,
                  "QOR - Brenmoor - water and landscape experiments\n"
                  "Generated:  %02d:%02d:%02d %02d/%02d/%02d\n\n"
                  "SystemInfo\n----------\n"
                  "NumberOfProcessors:     %u\n"
                  "Processor:              %s (Arch: %d, Level: %d, Revision: %d)\n"
                  "PageSize:               %ld\n"
                  "AllocationGranularity:  %ld\n"
                  "OperatingSystem:        MajorVersion: %d, MinorVersion: %d\n",
                  local.tm_hour, local.tm_min, local.tm_sec, local.tm_mon + 1, local.tm_mday,
                  local.tm_year % 100, info.processors, ArchitectureName(info.architecture),
                  info.architecture, info.level, info.revision, info.page_size,
                  info.allocation_granularity, info.os_major, info.os_minor);
    return text;
}

bool StartUp(const std::string& command_line, const system_info& info, std::time_t now,
             terrain_generation_info& generation) {
    KR::console << StartupReport(info, now);
    program.multithreading = info.processors > 1 ? 1 : 0;
    if (!command_line.empty())
        LoadConfig(command_line.c_str(), {sim_settings, display, program, textures, generation});
    KR::console << (program.multithreading ? "Using multi thread mode.\n\n"
                                           : "Using single thread mode.\n\n")
                << "\n";
    return program.multithreading != 0;
}

}  // namespace app
