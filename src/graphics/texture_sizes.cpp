#include "graphics/texture_sizes.h"

#include <GL/glew.h>

#include <algorithm>

#include "kr/image/power_of_two.h"

namespace graphics {
namespace {

// Generous bounds: a 4096 sky box already takes 400 MB of texels while generated.
constexpr int32_t kLargestSkyBox = 4096;
constexpr int32_t kLargestWaterSide = 1024;
constexpr int32_t kLargestWaterFrames = 256;
// Today's drivers allow 16384 or 32768, which as a depth map would take gigabytes; 4096 is
// already sharp.
constexpr int32_t kLargestAutomaticShadow = 4096;

int32_t DriverLimit(GLenum what, int32_t fallback) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value > 0 ? value : fallback;
}

int32_t Fit(int32_t size, int32_t largest) {
    if (size < 1) size = 1;
    return KR::FitPowerOfTwo(size, KR::PowerOfTwoRule::NextSmaller, largest);
}

}  // namespace

int32_t FitSkyBoxSize(int32_t size) {
    return Fit(size, std::min(kLargestSkyBox, DriverLimit(GL_MAX_CUBE_MAP_TEXTURE_SIZE, 512)));
}

int32_t FitWaterSize(int32_t size) {
    return Fit(size, std::min(kLargestWaterSide, DriverLimit(GL_MAX_3D_TEXTURE_SIZE, 128)));
}

int32_t FitWaterFrames(int32_t frames) {
    return Fit(frames, std::min(kLargestWaterFrames, DriverLimit(GL_MAX_3D_TEXTURE_SIZE, 64)));
}

int32_t ChooseShadowSize(int32_t configured, bool framebuffer_object, int32_t max_texture_size) {
    int32_t size = configured;
    if (size <= 0)
        size = framebuffer_object ? std::min(max_texture_size, kLargestAutomaticShadow) : 512;
    return std::min(size, max_texture_size);
}

}  // namespace graphics
