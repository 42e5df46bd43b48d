#include <string>

#include "kr/procedural/procedural_textures.h"

namespace KR {

std::string ContoursIntro(uint32_t n) {
    return "Contours: " + std::to_string(n) + " px ";
}

std::string TerrainMainIntro(uint32_t n) {
    return "Terrain main: " + std::to_string(n) + "x" + std::to_string(n) + " px ";
}

std::string WaterSurfaceIntro(uint32_t n, uint32_t frames) {
    return "Water surface: " + std::to_string(frames) + " frames of " + std::to_string(n) + "x" +
           std::to_string(n) + " px ";
}

std::string SkyBoxCloudsIntro(uint32_t n) {
    return "Skybox clouds: 6 sides of " + std::to_string(n) + "x" + std::to_string(n) + " px ";
}

std::string SkyBoxSpaceIntro(uint32_t n) {
    return "Skybox space:  6 sides of " + std::to_string(n) + "x" + std::to_string(n) + " px ";
}

}  // namespace KR
