#include "terrain/sun_light.h"

#include <algorithm>
#include <cmath>

#include "kr/math/math_constants.h"
#include "terrain/camera.h"
#include "terrain/scene_colors.h"

using KR::Matrix4x4;
using KR::Vector4;

namespace {

// An empty range (a one-column terrain, or no terrain at all) would make the orthographic
// matrix divide by zero; a unit margin keeps it finite, as near and far always have one.
void Widen(float& low, float& high) {
    if (high - low > 0.0f) return;
    low -= 1.0f;
    high += 1.0f;
}

}  // namespace

sun_light SunLight(KR::Vector2 extent, float box_min, float box_max, const Vector4& sun,
                   const Vector4 box[8]) {
    sun_light s;
    const float b = SunBrightness(sun.y);
    s.brightness = b;
    const float height = box_max - box_min;
    s.distance = std::sqrt(extent.x * extent.x + extent.y * extent.y + height * height);
    s.rotation = Matrix4x4::RotationZ(sun.x) * Matrix4x4::RotationX(sun.y);
    s.position = s.rotation.Transform(0, 0, s.distance);
    s.position.w = 0.0f;
    s.up = s.rotation.Transform(0, 1, 0);
    s.up.w = 0.0f;

    s.light0 = {Vector4(0.3f * b, 0.3f * b, 0.3f * b, 1), Vector4(b, b, b, 1),
                Vector4(1.0f, 0.9f, 0.7f, 1)};
    s.light1 = {s.light0.ambient, Vector4(0.1f, 0.1f, 0.1f, 1), Vector4(0, 0, 0, 0)};

    s.center = Vector4(extent.x / 2, extent.y / 2, height / 2, 1);
    const Vector4 eye(s.center.x + s.position.x, s.center.y + s.position.y,
                      s.center.z + s.position.z, 1);
    s.view = LookAt(eye, s.center, s.up);

    ortho_box& o = s.box;
    o.left = o.bottom = o.near = 1e30f;
    o.right = o.top = o.far = -1e30f;
    for (int k = 0; k < 8; ++k) {
        const Vector4 p = s.view.Transform(box[k].x, box[k].y, box[k].z);
        o.left = std::min(o.left, p.x);
        o.right = std::max(o.right, p.x);
        o.bottom = std::min(o.bottom, p.y);
        o.top = std::max(o.top, p.y);
        o.near = std::min(o.near, -p.z);
        o.far = std::max(o.far, -p.z);
    }
    o.near -= 1.0f;
    o.far += 1.0f;
    Widen(o.left, o.right);
    Widen(o.bottom, o.top);
    s.projection = Ortho(o.left, o.right, o.bottom, o.top, o.near, o.far);
    s.shadow_matrix = ShadowBias() * s.projection * s.view;

    // The sky's cube maps turn against the world by twice the azimuth. The sun's direction is
    // taken from the rotation rather than by normalising the position, which is 0 without a
    // terrain.
    const Vector4 toward_sun = s.rotation.Transform(0, 0, 100.0f);
    s.sky_light =
        Matrix4x4::RotationZ(180 - 2 * sun.x).Transform(toward_sun.x, toward_sun.y, toward_sun.z);
    s.sky_light.w = 0.0f;
    s.sky_light = s.sky_light.Normalized();
    s.sky_normal = Matrix4x4::RotationZ(180 + 2 * sun.x) * Matrix4x4::Scale(1, 1, -1);
    return s;
}

Matrix4x4 ShadowBias() {
    return {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};
}

void FrustumCorners(const Matrix4x4& view, float field_of_view, float aspect, float near, float far,
                    Vector4 corners[8]) {
    const Matrix4x4 to_world = view.Inverse();
    const float t = std::tan(field_of_view / 2 * KR::kDegToRad);
    const float depth[2] = {near, far};
    const float sx[4] = {-1, 1, 1, -1}, sy[4] = {-1, -1, 1, 1};
    for (int plane = 0; plane < 2; ++plane) {
        const float half_height = depth[plane] * t;
        const float half_width = half_height * aspect;
        for (int k = 0; k < 4; ++k) {
            corners[4 * plane + k] =
                to_world.Transform(sx[k] * half_width, sy[k] * half_height, -depth[plane]);
        }
    }
}
