#include "kr/image/power_of_two.h"

namespace KR {

int32_t FitPowerOfTwo(int32_t size, PowerOfTwoRule rule, int32_t largest) {
    if (rule == PowerOfTwoRule::NextLarger) {
        for (int64_t p = 1; p <= largest; p *= 2)
            if (p >= size) return int32_t(p);
        return largest;
    }
    int64_t best = 2;
    for (int64_t p = 1; p <= largest && p <= size; p *= 2)
        best = p;
    return int32_t(best < 2 ? 2 : best);
}

}  // namespace KR
