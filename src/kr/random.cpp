#include "kr/random.h"

#include <cstdint>

#include "kr/utils.h"

namespace KR {
namespace {

thread_local uint32_t random_state = 1;

}  // namespace

void RandomSeed(int seed) {
    random_state = seed < 0 ? GetTickCount() % 32767u : static_cast<uint32_t>(seed);
}

int Rand() {
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}

float RandomFloat(float a, float b) {
    return static_cast<float>(Rand() / 32767.0 * (b - a) + a);
}

int RandomInt(int a, int b) {
    return static_cast<int>(Rand() / 32767.0 * (b + 0.99 - a) + a);
}

}  // namespace KR
