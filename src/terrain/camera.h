#pragma once
// The orbit camera without GL: from the view state (heading, pitch, distance, tilt around a
// target) to the eye, the look-at view and the perspective projection of one frame, with the
// corrections that keep the eye over the ground or the target in sight. render/camera.cpp
// loads the result into GL; the matrices equal what gluLookAt and gluPerspective would build.

#include <functional>

#include "kr/math/matrix.h"
#include "kr/math/vector.h"
#include "terrain/camera_info.h"

class terrain;

// The water-surface height at (x, y); false where no cluster holds the point.
using surface_height_query = std::function<bool(float& z, float x, float y)>;

enum camera_control_mode : int {
    kCameraFree = 0,
    kCameraOverTerrain = 1,
    kCameraTargetVisible = 2
};

struct camera_settings {
    float field_of_view = 30.0f;  // vertical, degrees
    float aspect = 1.0f;          // viewport width / height
    int control = kCameraOverTerrain;
    float box_min = 0.0f;  // floor of the scene box: the eye is never kept lower than this
};

// One frame's camera. info.view holds the pitch and distance actually used, which the
// camera control may have changed for this frame only.
struct camera_frame {
    camera_info info;  // view, target, eye, near, far
    KR::Vector4 up;    // w = 0
    KR::Matrix4x4 modelview;
    KR::Matrix4x4 projection;
};

// Computes the frame for the eight corners of the scene box (near and far enclose them).
// Stored back, as they persist between frames: view_pos.z = surface + 1.5 where the surface
// is known, and a distance (view.z) below 0.1 raised to 0.1.
camera_frame ComputeCamera(KR::Vector4& view, KR::Vector4& view_pos, const KR::Vector4 box[8],
                           const camera_settings& settings, const surface_height_query& surface);

// The same for the terrain's view state, box floor and water surface.
camera_frame ComputeCamera(terrain& t, const KR::Vector4 box[8], float field_of_view, float aspect,
                           int control);

// gluLookAt's matrix (a zero forward or side vector stays zero, as there).
KR::Matrix4x4 LookAt(const KR::Vector4& eye, const KR::Vector4& center, const KR::Vector4& up);
// gluPerspective's matrix; field of view in degrees.
KR::Matrix4x4 Perspective(float field_of_view, float aspect, float near, float far);
// glOrtho's matrix.
KR::Matrix4x4 Ortho(float left, float right, float bottom, float top, float near, float far);
