#include "tools/tree_billboard.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "kr/base/random.h"
#include "kr/image/texture.h"

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 256;
constexpr float kCrownX = 64.0f;
constexpr float kCrownY = 160.0f;
constexpr float kCrownRx = 44.0f;
constexpr float kCrownRy = 68.0f;

// One clump of leaves: a disc at a depth inside the crown.
struct Clump {
    float x, y, r, z;
};

float Clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

// Clumps scattered through an ellipsoid; the nearest one covering a texel is what shows.
std::vector<Clump> Crown() {
    std::vector<Clump> clumps;
    while (clumps.size() < 170) {
        const float ex = KR::RandomFloat(-1.0f, 1.0f), ey = KR::RandomFloat(-1.0f, 1.0f);
        const float ez = KR::RandomFloat(-1.0f, 1.0f);
        if (ex * ex + ey * ey + ez * ez > 1.0f) continue;
        clumps.push_back(
            {kCrownX + ex * kCrownRx, kCrownY + ey * kCrownRy, KR::RandomFloat(7.0f, 13.0f), ez});
    }
    return clumps;
}

struct Rgba {
    float r, g, b, a;
};

// The frontmost clump covering the point, shaded as a small ball inside a big one, both lit
// from the upper left.
bool ShadeLeaves(const std::vector<Clump>& clumps, float x, float y, Rgba& out) {
    const Clump* front = nullptr;
    for (const Clump& c : clumps)
        if (std::hypot(x - c.x, y - c.y) < c.r && (!front || c.z > front->z)) front = &c;
    if (!front) return false;
    const float lx = (x - front->x) / front->r, ly = (y - front->y) / front->r;
    const float lz = std::sqrt(std::max(0.0f, 1.0f - lx * lx - ly * ly));
    const float local = Clamp01(-0.5f * lx + 0.5f * ly + 0.7f * lz);
    const float global = Clamp01(0.5f + 0.5f * front->z - 0.25f * (x - kCrownX) / kCrownRx +
                                 0.25f * (y - kCrownY) / kCrownRy);
    const float light = Clamp01(0.15f + 0.45f * local + 0.5f * global);
    out = {30 + 80 * light, 65 + 125 * light, 20 + 40 * light, 255};
    return true;
}

}  // namespace

void MakeTreeBillboard(KR::Texture& tree) {
    KR::RandomSeed(77);
    const std::vector<Clump> crown = Crown();

    tree.set_format(KR::kGlRgba, KR::kGlTexture2D, kWidth, kHeight, 0);
    tree.data.reset(new uint8_t[size_t(kWidth) * kHeight * 4]);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            // Rows run bottom-up: the trunk stands on row 0 and widens at its foot.
            const float half_trunk = 4.5f + 5.0f * std::exp(-fy / 8.0f) - 1.5f * fy / 140.0f;
            const bool trunk = fy < 140.0f && std::fabs(fx - kCrownX) < half_trunk;
            Rgba c;
            if (!ShadeLeaves(crown, fx, fy, c)) {
                if (trunk) {
                    // Bark: lit on the left, ridged along the trunk.
                    const float side = (fx - kCrownX) / half_trunk;
                    const float ridge = 0.9f + 0.1f * std::sin(fx * 2.1f + fy * 0.15f);
                    const float light = (0.85f - 0.35f * side) * ridge;
                    c = {95 * light, 66 * light, 42 * light, 255};
                } else {
                    // Leaf colour under the transparent texels, so filtering leaves no dark rim.
                    c = {60, 115, 40, 0};
                }
            }
            uint8_t* texel = tree.data.get() + 4 * (size_t(y) * kWidth + x);
            texel[0] = uint8_t(c.r);
            texel[1] = uint8_t(c.g);
            texel[2] = uint8_t(c.b);
            texel[3] = uint8_t(c.a);
        }
    }
}
