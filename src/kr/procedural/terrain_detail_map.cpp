#include <algorithm>

#include "kr/noise/perlin_noise_2d.h"
#include "kr/procedural/procedural_rows.h"
#include "kr/procedural/procedural_textures.h"

namespace KR {

ProceduralImage CreateTerrainDetailMap(uint32_t n, uint8_t low, uint8_t high, bool verbose,
                                       unsigned threads) {
    const char* place = "KR::CreateTerrainDetailMap";
    ProceduralImage image = AllocateImage(place, n, n, 1);
    std::unique_ptr<float[]> f = AllocateFloats(place, uint64_t(n) * n);
    PerlinNoise2D a, b;
    a.SetSeed(-1);
    a.SetSize(n, n, FitDivisor(n, 16));
    a.SetParams(4, 1.5f, 1);
    a.SetNoiseType(PerlinNoise2D::kInterpolated, 0);
    b.SetSeed(-1);
    b.SetSize(n, n, FitDivisor(n, 64));
    b.SetParams(6, 1.5f, 1);
    b.SetNoiseType(PerlinNoise2D::kInterpolated, 0);

    ForEachRow(n, threads, verbose ? DotStep(n) : 0, [&](uint32_t y) {
        float* row = &f[size_t(y) * n];
        for (uint32_t x = 0; x < n; ++x) {
            const float va = a.Get(float(x), float(y)) * 0.25f + 0.75f;
            const float vb = b.Get(float(x), float(y));
            row[x] = va * (1.0f - vb * vb);
        }
    });

    const size_t count = size_t(n) * n;
    float mn = 1e30f, mx = -1e30f;
    for (size_t i = 0; i < count; ++i) {
        mn = std::min(mn, f[i]);
        mx = std::max(mx, f[i]);
    }
    // A flat field (one texel) would divide by zero; it maps to low.
    const float scale = mx > mn ? (float(high) - float(low)) / (mx - mn) : 0.0f;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = ToByte((f[i] - mn) * scale + float(low));
        PutTexel(&image.data[i * 4], byte, byte, byte, 255);
    }
    return image;
}

}  // namespace KR
