#pragma once
// The program's random numbers: a 15-bit linear congruential generator (values 0 ... 32767),
// so that a seed gives the same sequence on every machine. Each thread draws from its own
// sequence, which starts as if seeded with 1.

#include <cstdint>

namespace KR {

constexpr int kRandMax = 32767;

// A negative seed takes the monotonic clock's milliseconds modulo 32767.
void RandomSeed(int seed);

// The next raw value, 0 ... 32767.
int Rand();

// The calling thread's generator state, to hand a sequence to other threads.
uint32_t GetRandomState();
void SetRandomState(uint32_t state);
// The state after n more draws from state, found without drawing them.
uint32_t RandomStateAfter(uint32_t state, uint64_t n);
// The raw value that a draw from state gives, and the state after it.
inline int RandFrom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// rand / 32767 * (b - a) + a: a float in [a, b], b included.
float RandomFloat(float a, float b);

// The integer part of rand / 32767 * (b + 0.99 - a) + a: a whole number in [a, b].
int RandomInt(int a, int b);

}  // namespace KR
