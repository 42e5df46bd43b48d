#include "kr/noise/perlin_noise_2d.h"
#include "kr/procedural/procedural_rows.h"
#include "kr/procedural/procedural_textures.h"

namespace KR {

ProceduralImage CreateNoiseMap1D(uint32_t n, uint8_t low, uint8_t high, bool verbose) {
    const char* place = "KR::CreateNoiseMap1D";
    ProceduralImage image = AllocateImage(place, n, 1, 1);
    PerlinNoise2D noise;
    noise.SetSeed(-1);
    noise.SetSize(n, n, FitDivisor(n, 32));
    noise.SetParams(4, 2.0f, 1);
    noise.SetNoiseType(PerlinNoise2D::kInterpolated, 0);
    const float lo = noise.GetMin(), hi = noise.GetMax();
    const float scale = (float(high) - float(low)) / (hi - lo);
    const uint32_t dot = DotStep(n);
    for (uint32_t i = 0; i < n; ++i) {
        if (verbose && i % dot == 0) console << ".";
        // Four times the pixel index, so the band holds several periods of the base octave.
        const float v = noise.Get(4.0f * float(i), 0.0f);
        const uint8_t byte = ToByte((v - lo) * scale + float(low));
        PutTexel(&image.data[size_t(i) * 4], byte, byte, byte, 255);
    }
    return image;
}

}  // namespace KR
