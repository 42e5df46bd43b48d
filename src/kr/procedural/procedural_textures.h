#pragma once
// Textures computed from noise at start-up, so that no image file is needed for them: the
// contour band, the terrain detail map, the animated water normals and the two sky boxes.
// Each returns its RGBA pixels; uploading them is the caller's business.

#include <cstdint>
#include <memory>
#include <string>

#include "kr/base/console.h"
#include "kr/base/utils.h"

namespace KR {

// width x height x depth RGBA texels (depth: frames or cube faces); texel (x, y, k) starts at
// byte 4 * ((k * height + y) * width + x).
struct ProceduralImage {
    uint32_t width = 0, height = 0, depth = 0;
    std::unique_ptr<uint8_t[]> data;

    size_t texels() const { return size_t(width) * height * depth; }
    size_t bytes() const { return texels() * 4; }
};

// `threads` is how many threads may share the work (0: one per processor). The bytes do not
// depend on it. The noise seeds are drawn from the calling thread's random sequence.
ProceduralImage CreateNoiseMap1D(uint32_t n, uint8_t low, uint8_t high, bool verbose);
ProceduralImage CreateTerrainDetailMap(uint32_t n, uint8_t low, uint8_t high, bool verbose,
                                       unsigned threads = 0);
ProceduralImage CreateWaterWaveNormalMap(uint32_t n, uint32_t frames, bool verbose,
                                         unsigned threads = 0);
ProceduralImage CreateSkyBoxClouds(uint32_t n, float clouds, float turbulence, bool verbose,
                                   unsigned threads = 0);
// Draws its random values per pixel in a fixed order, so it runs on the calling thread.
ProceduralImage CreateSkyBoxStars(uint32_t n, float stars, bool verbose);

// One water texel from its height and those of its right, lower, upper and left neighbours:
// the normal (mapped to 0 ... 255) of the four faces around it, and the height as alpha.
void WaterWaveTexel(float h, float right, float down, float up, float left, uint8_t* texel);

// Two noises that differ only in persistence (the cloud amount and its shading layer),
// sampled at one point with one noise evaluation per octave; equal to n1.Get and n3.Get.
class PerlinNoise3D;
void SkyBoxCloudPair(const PerlinNoise3D& n1, const PerlinNoise3D& n3, float x, float y, float z,
                     float& v1, float& v3);

// The texts graphics set-up writes before each generator runs.
std::string ContoursIntro(uint32_t n);
std::string TerrainMainIntro(uint32_t n);
std::string WaterSurfaceIntro(uint32_t n, uint32_t frames);
std::string SkyBoxCloudsIntro(uint32_t n);
std::string SkyBoxSpaceIntro(uint32_t n);

// Writes the intro, runs the generator and writes the seconds it took.
template <class Generate>
ProceduralImage GenerateTimed(const std::string& intro, Generate generate) {
    console << intro;
    const double start = GetTime();
    ProceduralImage image = generate();
    const double seconds = GetTime() - start;
    console << "\n Generated in " << seconds << " sec\n";
    return image;
}

}  // namespace KR
