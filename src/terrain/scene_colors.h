#pragma once
// The colours the sun sets: its brightness from its angle to the zenith, and the water and
// wild-water colours of the chosen preset at that brightness.

#include "kr/math/vector.h"

// Command ids of the water colour presets (the menu's "Water color" items).
enum water_color_id : int {
    kWaterBlood = 3023,
    kWaterMilk = 3024,
    kWaterLagoon = 3025,
    kWaterDarkBlue = 3028,
    kWaterSand = 3030
};

// 1.1 - 0.9 (zenith / 90)^4: 1.1 with the sun overhead, 0.2 at the horizon.
float SunBrightness(float zenith_degrees);

struct water_colors {
    KR::Vector4 water;  // r, g, b scaled by the brightness, alpha 1
    KR::Vector4 wild;   // the colour of foam and fast water
};

// Any id outside the presets gives the Lagoon colours.
water_colors WaterColors(int water_color, float brightness);
