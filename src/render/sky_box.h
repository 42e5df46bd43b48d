#pragma once
// The sky: a cube around the eye with the star and cloud cube maps, drawn first and without
// depth, so everything else lies in front of it.

#include "kr/math/matrix.h"
#include "kr/math/vector.h"

namespace render {

struct sky_view {
    KR::Vector4 view;             // heading, pitch, distance, tilt
    float field_of_view = 30.0f;  // degrees
    float aspect = 1.0f;
    float far = 1.0f;            // the diagonal of the terrain
    KR::Vector4 light;           // "uLight": the sun's direction in the clouds' frame
    KR::Matrix4x4 light_normal;  // "SkyMatrix4x4_normal"
    float brightness = 1.0f;     // of the sun
    bool shader_path = false;
};

void DrawSkyBox(const sky_view& sky);

}  // namespace render
