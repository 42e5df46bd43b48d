#pragma once
// What one camera update hands to drawing and picking: the view actually used this frame
// (with the pitch and distance the camera control corrected), the target, the eye and the
// near and far planes.

#include "kr/math/vector.h"

struct camera_info {
    KR::Vector4 view;    // heading, pitch, distance, tilt (degrees, degrees, units, degrees)
    KR::Vector4 target;  // the point looked at
    KR::Vector4 eye;
    float near = 0.5f;
    float far = 2.0f;
};
