#include "kr/base/utils.h"

#include <chrono>
#include <string>

#include "kr/base/error.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace KR {
namespace {

using Clock = std::chrono::steady_clock;

// Valid before UtilsInit too, so tools and tests can time things without it.
double seconds_per_tick = static_cast<double>(Clock::period::num) / Clock::period::den;

const char* YesNo(int flag) {
    return flag ? "yes" : "no";
}

}  // namespace

ProcessorFeatures processor_features;

ProcessorFeatures DecodeProcessorFeatures(uint32_t edx, uint32_t ecx) {
    ProcessorFeatures f;
    f.mmx = (edx >> 23) & 1;
    f.sse = (edx >> 25) & 1;
    f.sse2 = (edx >> 26) & 1;
    f.sse3 = ecx & 1;
    f.fxsave = (edx >> 24) & 1;
    return f;
}

void CheckProcessorFeatures(const ProcessorFeatures& f) {
    if (f.mmx && f.sse) return;
    std::string detail = ": Instructions not supported:\n\nMMX: ";
    detail += YesNo(f.mmx);
    detail += ", SSE: ";
    detail += YesNo(f.sse);
    detail += ", SSE2: ";
    detail += YesNo(f.sse2);
    detail += ", SSE3: ";
    detail += YesNo(f.sse3);
    detail += ", FXSAVE: ";
    detail += YesNo(f.fxsave);
    detail += "\n\nMMX and SSE required!";
    throw Error("KR::UtilsInit", detail);
}

void UtilsInit() {
    ProcessorFeatures features;
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        features = DecodeProcessorFeatures(edx, ecx);
    else
        features = DecodeProcessorFeatures(0, 0);
#endif
    // Other architectures have their own vector units; the flags keep their defaults there.
    processor_features = features;
    CheckProcessorFeatures(features);
    seconds_per_tick = static_cast<double>(Clock::period::num) / Clock::period::den;
}

double GetTime() {
    return static_cast<double>(Clock::now().time_since_epoch().count()) * seconds_per_tick;
}

uint32_t GetTickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

}  // namespace KR
