#pragma once
// Start-up processor check and the program clock.

#include <cstdint>

namespace KR {

// Processor features, each 1 (present) or 0 (absent).
struct ProcessorFeatures {
    int mmx = 1;
    int sse = 1;
    int sse2 = 1;
    int sse3 = 1;
    int fxsave = 1;
};

extern ProcessorFeatures processor_features;

// Decodes the feature bits of processor identification function 1.
ProcessorFeatures DecodeProcessorFeatures(uint32_t edx, uint32_t ecx);

// Raises the start-up error when MMX or SSE is missing.
void CheckProcessorFeatures(const ProcessorFeatures& features);

// Reads the processor's features, checks them and fixes the clock's tick length.
void UtilsInit();

// Seconds of the monotonic high-resolution clock.
double GetTime();

// Milliseconds of the monotonic clock, wrapping at 2^32.
uint32_t GetTickCount();

}  // namespace KR
