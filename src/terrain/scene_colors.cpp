#include "terrain/scene_colors.h"

float SunBrightness(float zenith_degrees) {
    const float f = zenith_degrees / 90.0f;
    return 1.1f - 0.9f * (f * f * f * f);
}

water_colors WaterColors(int water_color, float brightness) {
    struct preset {
        float water[3], wild[3];
    };
    preset p;
    switch (water_color) {
        case kWaterBlood:
            p = {{0.3f, 0.05f, 0.0f}, {1.0f, 0.7f, 0.5f}};
            break;
        case kWaterMilk:
            p = {{1.0f, 1.0f, 1.0f}, {0.8f, 0.8f, 0.8f}};
            break;
        case kWaterDarkBlue:
            p = {{0.1f, 0.2f, 0.3f}, {0.8f, 0.8f, 1.0f}};
            break;
        case kWaterSand:
            p = {{0.8f, 0.7f, 0.3f}, {1.0f, 1.0f, 0.7f}};
            break;
        default:  // Lagoon
            p = {{0.2f, 0.4f, 0.45f}, {0.8f, 1.0f, 1.0f}};
            break;
    }
    const float b = brightness;
    return {KR::Vector4(p.water[0] * b, p.water[1] * b, p.water[2] * b, 1.0f),
            KR::Vector4(p.wild[0] * b, p.wild[1] * b, p.wild[2] * b, 1.0f)};
}
