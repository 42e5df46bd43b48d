#pragma once
// The sun of one frame without GL: its brightness and direction, the two lights it sets, the
// orthographic view from the sun that the shadow map is rendered with, the matrix that carries
// world points into that map, and the sky shader's light values.

#include "kr/math/matrix.h"
#include "kr/math/vector.h"

struct light_colors {
    KR::Vector4 ambient, diffuse, specular;
};

// The box the light's orthographic projection encloses, in the light's eye space.
struct ortho_box {
    float left, right, bottom, top, near, far;
};

struct sun_light {
    float brightness;        // 1.1 with the sun overhead, 0.2 at the horizon
    float distance;          // diagonal of the scene box: the light stands outside it
    KR::Matrix4x4 rotation;  // rotationZ(azimuth) x rotationX(zenith angle)
    KR::Vector4 position;    // rotation x (0, 0, distance), w = 0: a directional light
    KR::Vector4 up;          // rotation x (0, 1, 0), w = 0
    light_colors light0;     // the sun
    light_colors light1;     // the ambient light of the fixed path's shadow pass

    KR::Vector4 center;  // what the light looks at; it looks from center + position
    ortho_box box;
    KR::Matrix4x4 view;           // look-at from the light
    KR::Matrix4x4 projection;     // orthographic over the scene box
    KR::Matrix4x4 shadow_matrix;  // ShadowBias() x projection x view: world to shadow map

    KR::Vector4 sky_light;     // the sky program's "uLight" (unit length, w = 0)
    KR::Matrix4x4 sky_normal;  // the sky program's "SkyMatrix4x4_normal"
};

// sun: x = azimuth, y = angle from the zenith (degrees); box: the scene box's eight corners.
sun_light SunLight(KR::Vector2 extent, float box_min, float box_max, const KR::Vector4& sun,
                   const KR::Vector4 box[8]);

// Clip space [-1, 1] to texture space [0, 1] on x, y and z.
KR::Matrix4x4 ShadowBias();

// The camera's view frustum in world space, for drawing it from the light: the near plane's
// corners counter-clockwise from (-x, -y) as seen along the view, then the far plane's.
void FrustumCorners(const KR::Matrix4x4& view, float field_of_view, float aspect, float near,
                    float far, KR::Vector4 corners[8]);
