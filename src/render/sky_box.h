#pragma once
// The sky: a cube around the eye with the star and cloud cube maps, drawn first and without
// depth, so everything else lies in front of it.

#include "kr/vector.h"

namespace render {

struct sky_view {
    KR::Vector4 view;            // heading, pitch, distance, tilt
    float field_of_view = 30.0f;  // degrees
    float aspect = 1.0f;
    float far = 1.0f;             // the diagonal of the terrain
    float sun_azimuth = 0.0f;     // degrees
    KR::Vector4 light_position;   // the sun light's position (w = 0)
    float brightness = 1.0f;      // of the sun
    bool shader_path = false;
};

void DrawSkyBox(const sky_view& sky);

}  // namespace render
