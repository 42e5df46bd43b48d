#include <algorithm>
#include <cmath>

#include "kr/noise/perlin_noise_3d.h"
#include "kr/procedural/procedural_rows.h"
#include "kr/procedural/procedural_textures.h"

namespace KR {

namespace {

struct Normal {
    float x, y, z;
};

Normal Normalized(Normal v) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / len, v.y / len, v.z / len};
}

}  // namespace

void WaterWaveTexel(float h, float right, float down, float up, float left, uint8_t* texel) {
    const float dr = right - h, dd = down - h, du = up - h, dl = left - h;
    // The cross products of the edge vectors to the neighbours, written out; z is always 1,
    // so none of them can have length zero.
    const Normal f1 = Normalized({-dr, -dd, 1.0f});
    const Normal f2 = Normalized({-dr, du, 1.0f});
    const Normal f3 = Normalized({dl, du, 1.0f});
    const Normal f4 = Normalized({dl, -dd, 1.0f});
    const Normal n = Normalized(
        {f1.x + f2.x + f3.x + f4.x, f1.y + f2.y + f3.y + f4.y, f1.z + f2.z + f3.z + f4.z});
    PutTexel(texel, ToByte((n.x + 1.0f) / 2.0f * 255.0f), ToByte((n.y + 1.0f) / 2.0f * 255.0f),
             ToByte((n.z + 1.0f) / 2.0f * 255.0f), ToByte((h / 4.0f + 0.5f) * 255.0f));
}

ProceduralImage CreateWaterWaveNormalMap(uint32_t n, uint32_t frames, bool verbose,
                                         unsigned threads) {
    const char* place = "KR::CreateWaterWaveNormalMap";
    ProceduralImage image = AllocateImage(place, n, n, frames);
    const size_t plane = size_t(n) * n;
    std::unique_ptr<float[]> h = AllocateFloats(place, uint64_t(plane) * frames);
    PerlinNoise3D noise;
    noise.SetSeed(-1);
    noise.SetSize(n, n, frames, FitDivisor(std::min(n, frames), 8));
    noise.SetParams(4, 2.0f, 1);
    noise.SetNoiseType(PerlinNoise3D::kInterpolated, 0);

    ForEachRow(frames, threads, verbose ? DotStep(frames) : 0, [&](uint32_t k) {
        float* frame = &h[k * plane];
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t x = 0; x < n; ++x)
                frame[size_t(y) * n + x] = noise.Get(float(x), float(y), float(k));
    });

    // Neighbours wrap within the frame, so the map tiles.
    ForEachRow(frames, threads, 0, [&](uint32_t k) {
        const float* frame = &h[k * plane];
        for (uint32_t y = 0; y < n; ++y) {
            const size_t row = size_t(y) * n;
            const size_t row_up = size_t(y == 0 ? n - 1 : y - 1) * n;
            const size_t row_down = size_t(y + 1 == n ? 0 : y + 1) * n;
            for (uint32_t x = 0; x < n; ++x) {
                const uint32_t left = x == 0 ? n - 1 : x - 1, right = x + 1 == n ? 0 : x + 1;
                WaterWaveTexel(frame[row + x], frame[row + right], frame[row_down + x],
                               frame[row_up + x], frame[row + left],
                               &image.data[(k * plane + row + x) * 4]);
            }
        }
    });
    return image;
}

}  // namespace KR
