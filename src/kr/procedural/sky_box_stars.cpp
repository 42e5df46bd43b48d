#include <algorithm>

#include "kr/procedural/procedural_rows.h"
#include "kr/procedural/procedural_textures.h"
#include "kr/base/random.h"

namespace KR {

namespace {

struct Colour {
    float r, g, b, a;
    Colour operator+(const Colour& c) const { return {r + c.r, g + c.g, b + c.b, a + c.a}; }
    Colour operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
};

float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

}  // namespace

ProceduralImage CreateSkyBoxStars(uint32_t n, float stars, bool verbose) {
    // Joined with the common detail this gives the text this generator has always used.
    ProceduralImage image = AllocateImage("CreateSkyBoxStars()", n, n, 6);
    const uint32_t dot = DotStep(n);
    for (uint32_t y = 0; y < n; ++y) {
        if (verbose && y % dot == 0) console << ".";
        for (uint32_t x = 0; x < n; ++x) {
            for (uint32_t face = 0; face < 6; ++face) {
                Colour colour{0.0f, 0.0f, 0.0f, 1.0f};
                // The random values are drawn in this order; a seed gives the same sky.
                if (stars > RandomFloat(0.0f, 1.0f)) {
                    const float r = RandomFloat(0.0f, 1.0f);
                    const float b = r * r * r * r * r;
                    Colour star{b, b, b, 1.0f};
                    const float t1 = Clamp01(RandomFloat(-1.0f, 1.0f));
                    const float t2 = Clamp01(Clamp01(RandomFloat(-1.0f, 1.0f)) - t1);
                    star = star * (1.0f - t1) + Colour{0.8f, 0.8f, 1.0f, 1.0f} * b * t1;
                    star = star * (1.0f - t2) + Colour{0.5f, 0.3f, 0.1f, 1.0f} * b * t2;
                    const float t3 = Clamp01(b - colour.b);
                    colour = colour * (1.0f - t3) + star * t3;
                }
                PutTexel(&image.data[((size_t(face) * n + y) * n + x) * 4],
                         ToByte(colour.r * 255.0f), ToByte(colour.g * 255.0f),
                         ToByte(colour.b * 255.0f), 255);
            }
        }
    }
    return image;
}

}  // namespace KR
