#include "kr/base/random.h"

#include <cstdint>

#include "kr/base/utils.h"

namespace KR {
namespace {

thread_local uint32_t random_state = 1;

}  // namespace

void RandomSeed(int seed) {
    random_state = seed < 0 ? GetTickCount() % 32767u : static_cast<uint32_t>(seed);
}

int Rand() {
    return RandFrom(random_state);
}

uint32_t GetRandomState() {
    return random_state;
}

void SetRandomState(uint32_t state) {
    random_state = state;
}

uint32_t RandomStateAfter(uint32_t state, uint64_t n) {
    // Compose the affine step s -> a*s + c with itself by repeated squaring (modulo 2^32).
    uint32_t a = 214013u, c = 2531011u;
    uint32_t total_a = 1u, total_c = 0u;
    while (n) {
        if (n & 1) {
            total_a *= a;
            total_c = total_c * a + c;
        }
        c = c * a + c;
        a *= a;
        n >>= 1;
    }
    return state * total_a + total_c;
}

float RandomFloat(float a, float b) {
    return static_cast<float>(Rand() / 32767.0 * (b - a) + a);
}

int RandomInt(int a, int b) {
    return static_cast<int>(Rand() / 32767.0 * (b + 0.99 - a) + a);
}

}  // namespace KR
