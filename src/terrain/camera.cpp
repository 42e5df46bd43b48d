#include "terrain/camera.h"

#include <algorithm>
#include <cmath>

#include "kr/math/math_constants.h"
#include "terrain/terrain.h"

using KR::Matrix4x4;
using KR::Vector4;

namespace {

// Mode 2 samples the sight line five times per unit of horizontal distance; the cap only keeps
// the count defined for absurd distances far outside any terrain.
constexpr int kMaxSightSamples = 1 << 16;

Vector4 Direction(float x, float y, float z) {
    return Vector4(x, y, z, 0.0f);
}

// As atan2 of the cross and dot products rather than acos of the normalised dot product: in
// float the latter rounds angles below about 2e-4 radians to 0, so an eye 10 units out and a
// few thousandths too low would not be lifted. Directions without length give 0.
float AngleBetween(const Vector4& a, const Vector4& b) {
    const Vector4 cross(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return std::atan2(cross.Length(), a.x * b.x + a.y * b.y + a.z * b.z);
}

// GLU's helpers, in float as there.
void Normalize3(float v[3]) {
    const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void Cross3(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

camera_frame ComputeCamera(Vector4& view, Vector4& view_pos, const Vector4 box[8],
                           const camera_settings& settings, const surface_height_query& surface) {
    float z;
    if (surface(z, view_pos.x, view_pos.y)) view_pos.z = z + 1.5f;
    // Written so that a NaN distance (say from a damaged scene file) is repaired as well.
    if (!(view.z >= 0.1f)) view.z = 0.1f;

    const Vector4 target = view_pos;
    const Matrix4x4 heading = Matrix4x4::RotationZ(-view.x);
    const Matrix4x4 tilt = Matrix4x4::RotationZ(view.w);
    const Matrix4x4 placed =
        Matrix4x4::Translation(target.x, target.y, target.z) * heading;  // T x A
    Vector4 eye = (placed * Matrix4x4::RotationX(view.y)).Transform(0, 0, view.z);

    float pitch = view.y;
    float distance = view.z;
    if (settings.control != kCameraFree) {
        float correction = 0.0f;  // radians the pitch turns up by
        float eye_z = eye.z;
        const Vector4 d = Direction(eye.x - target.x, eye.y - target.y, eye.z - target.z);
        if (settings.control == kCameraOverTerrain) {
            float h = eye.z;
            if (surface(z, eye.x, eye.y)) h = z + 1.0f;
            if (h < settings.box_min) h = settings.box_min;
            if (eye.z < h - 0.001f) {
                correction = AngleBetween(d, Direction(d.x, d.y, h - target.z));
                eye_z = h;
            }
        } else if (settings.control == kCameraTargetVisible) {
            const float length = d.Length();
            const float samples = d.HorizontalLength() * 5.0f;
            int n = 1;
            if (samples >= float(kMaxSightSamples))
                n = kMaxSightSamples;
            else if (samples >= 1.0f)
                n = int(samples);
            for (int k = 1; k <= n; ++k) {
                const float f = float(k) / float(n);
                const Vector4 p = d * f;
                float h;
                // The clearance is 1.0 at both ends of the sight line and 0.5 in the middle.
                if (surface(z, target.x + p.x, target.y + p.y))
                    h = z + std::cos(2.0f * KR::kPi * f) / 4.0f + 0.75f;
                else
                    h = target.z + p.z;
                if (h < settings.box_min) h = settings.box_min;
                // The eye height whose sight line to the target just clears this sample.
                const float r = target.z + (length / p.Length()) * (h - target.z);
                const float alpha = AngleBetween(d, Direction(d.x, d.y, r - target.z));
                if (alpha >= correction && eye_z < r - 0.001f) {
                    correction = alpha;
                    eye_z = r;
                }
            }
        }
        pitch = view.y - correction * 180.0f / KR::kPi;
        distance = Direction(d.x, d.y, eye_z - target.z).Length();
        // Only an eye pulled exactly onto the target gets here; it would leave no direction.
        if (!(distance >= 0.1f)) distance = 0.1f;
        eye = (placed * Matrix4x4::RotationX(pitch) * tilt).Transform(0, 0, distance);
    }

    camera_frame frame;
    const Matrix4x4 orientation = heading * Matrix4x4::RotationX(pitch) * tilt;
    frame.up = orientation.Transform(0, 1, 0);
    frame.up.w = 0.0f;
    frame.modelview = LookAt(eye, target, frame.up);

    float zmin = 1e30f, zmax = -1e30f;
    for (int k = 0; k < 8; ++k) {
        const float depth = -frame.modelview.Transform(box[k].x, box[k].y, box[k].z).z;
        zmin = std::min(zmin, depth);
        zmax = std::max(zmax, depth);
    }
    const float near = zmin <= 0.6f ? 0.5f : zmin - 0.1f;
    const float far = zmax <= 1.0f ? 2.0f : zmax + 1.0f;
    frame.projection = Perspective(settings.field_of_view, settings.aspect, near, far);

    frame.info.view = Vector4(view.x, pitch, distance, view.w);
    frame.info.target = target;
    frame.info.eye = eye;
    frame.info.near = near;
    frame.info.far = far;
    return frame;
}

camera_frame ComputeCamera(terrain& t, const Vector4 box[8], float field_of_view, float aspect,
                           int control) {
    camera_settings settings;
    settings.field_of_view = field_of_view;
    settings.aspect = aspect;
    settings.control = control;
    settings.box_min = t.box_min;
    return ComputeCamera(t.view, t.view_pos, box, settings, [&t](float& z, float x, float y) {
        return t.GetShownSurfaceHeight(z, x, y);
    });
}

Matrix4x4 LookAt(const Vector4& eye, const Vector4& center, const Vector4& up) {
    float forward[3] = {center.x - eye.x, center.y - eye.y, center.z - eye.z};
    float side[3], u[3] = {up.x, up.y, up.z};
    Normalize3(forward);
    Cross3(forward, u, side);
    Normalize3(side);
    Cross3(side, forward, u);
    const float e[3] = {eye.x, eye.y, eye.z};
    auto dot = [&e](const float v[3]) { return v[0] * e[0] + v[1] * e[1] + v[2] * e[2]; };
    // Rows: side, up, -forward; then the translation by -eye.
    return {side[0], u[0], -forward[0], 0, side[1],    u[1],    -forward[1],  0,
            side[2], u[2], -forward[2], 0, -dot(side), -dot(u), dot(forward), 1};
}

Matrix4x4 Perspective(float field_of_view, float aspect, float near, float far) {
    // In double like GLU, rounded once at the end.
    const double radians = double(field_of_view) / 2.0 * 3.14159265358979323846 / 180.0;
    const double cotangent = std::cos(radians) / std::sin(radians);
    const double depth = double(far) - double(near);
    Matrix4x4 m = Matrix4x4::Identity();
    m.m[0] = float(cotangent / aspect);
    m.m[5] = float(cotangent);
    m.m[10] = float(-(double(far) + double(near)) / depth);
    m.m[11] = -1.0f;
    m.m[14] = float(-2.0 * double(near) * double(far) / depth);
    m.m[15] = 0.0f;
    return m;
}

Matrix4x4 Ortho(float left, float right, float bottom, float top, float near, float far) {
    const double w = double(right) - left, h = double(top) - bottom, d = double(far) - near;
    Matrix4x4 m = Matrix4x4::Identity();
    m.m[0] = float(2.0 / w);
    m.m[5] = float(2.0 / h);
    m.m[10] = float(-2.0 / d);
    m.m[12] = float(-(double(right) + left) / w);
    m.m[13] = float(-(double(top) + bottom) / h);
    m.m[14] = float(-(double(far) + near) / d);
    return m;
}
