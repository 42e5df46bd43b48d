#include "kr/noise/perlin_noise_common.h"

#include <cmath>

#include "kr/base/random.h"

namespace KR {

int32_t RepetitionPeriod(uint32_t octave, uint32_t size, uint32_t divisor) {
    const double f = std::ldexp(1.0, static_cast<int>(octave > 2048 ? 2048 : octave));
    const double period = std::trunc(f * size / ((size - 1.0) / divisor));
    // The negated test also catches NaN.
    if (!(period < static_cast<double>(kNoRepeat))) return static_cast<int32_t>(kNoRepeat);
    if (period < 1.0) return 1;
    return static_cast<int32_t>(period);
}

void PerlinNoiseCommon::SetSeed(int new_seed) {
    seed = new_seed < 0 ? static_cast<uint32_t>(RandomFloat(0.0f, 2147483648.0f))
                        : static_cast<uint32_t>(new_seed);
}

void PerlinNoiseCommon::SetPersistence(float persistence) {
    amplitude_ratio = static_cast<float>(1.0 / persistence);
}

float PerlinNoiseCommon::GetMax() const {
    float sum = 0.0f;
    float amplitude = 1.0f;
    for (uint32_t o = 0; o < octaves; ++o) {
        sum += Combine(combination, 1.0f, amplitude);
        amplitude *= amplitude_ratio;
    }
    return sum;
}

float PerlinNoiseCommon::GetMin() const {
    return combination == 1 || combination == 2 ? 0.0f : -GetMax();
}

}  // namespace KR
