// The orbit camera and the sun's matrices, computed without GL over small height functions.

#include "terrain/camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "terrain/sun_light.h"

namespace {

using KR::Vector4;

void ExpectNear(const Vector4& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}

bool Finite(const KR::Matrix4x4& m) {
    return std::all_of(m.m, m.m + 16, [](float e) { return std::isfinite(e); });
}

// Water at `level` where x < 10 and y > -5; beyond y = -5 the ground is `far_ground` (NAN: none).
surface_height_query Ground(float level, float far_ground = NAN) {
    return [=](float& z, float x, float y) {
        z = y > -5 ? level : far_ground;
        return x < 10 && !std::isnan(z);
    };
}

struct camera_case {
    Vector4 view, view_pos, box[8];
    camera_settings settings{30, 1.5f, kCameraFree, -100};
    camera_frame Run(const Vector4& v, const surface_height_query& ground = Ground(NAN)) {
        view = v;
        return ComputeCamera(view, view_pos, box, settings, ground);
    }
};

TEST(Camera, EyeOrbitsTheTargetWithTheViewsUp) {
    const struct {
        Vector4 view;
        float ex, ey, ez, ux, uy;  // eye - target; up's x and y
    } cases[] = {
        {{0, 0, 10, 0}, 0, 0, 10, 0, 1},
        {{0, 0, 10, 90}, 0, 0, 10, -1, 0},
        {{90, 90, 10, 0}, -10, 0, 0, 0, 0},
        {{30, 60, 10, 0}, -4.330127f, -7.5f, 5, 0.25f, 0.433013f},
        {{0, 0, 0, 0}, 0, 0, 0.1f, 0, 1},  // the least distance
    };
    for (const auto& c : cases) {
        camera_case cam;
        cam.view_pos = Vector4(3, 4, 7);
        const camera_frame f = cam.Run(c.view, Ground(2));  // the target floats 1.5 over water
        EXPECT_EQ(cam.view_pos.z, 3.5f);
        ExpectNear(f.info.eye - cam.view_pos, c.ex, c.ey, c.ez);
        ExpectNear(f.up, c.ux, c.uy, f.up.z);
    }
    camera_case cam;  // off the water the target keeps its height; the distance stays raised
    cam.view_pos = Vector4(15, 4, 7);
    cam.Run(Vector4(0, 0, NAN, 0), Ground(2));
    EXPECT_EQ(std::make_pair(cam.view_pos.z, cam.view.z), std::make_pair(7.0f, 0.1f));
}

TEST(Camera, OverTerrainLiftsAnEyeMoreThanAThousandthTooLowForThisFrameOnly) {
    // The eye level with the target (1.5 over water at 0) 10 to the south, over far ground.
    const struct {
        float ground, box_min, eye_z;
    } cases[] = {{0.5005f, -100, 1.5f}, {0.502f, -100, 1.502f}, {4, -100, 5}, {NAN, 3, 3}};
    for (const auto& c : cases) {
        camera_case cam;
        cam.settings = {30, 1.5f, kCameraOverTerrain, c.box_min};
        const camera_frame f = cam.Run(Vector4(0, 90, 10, 0), Ground(0, c.ground));
        EXPECT_NEAR(f.info.eye.z, c.eye_z, 1e-5f) << c.ground;
        EXPECT_EQ(f.info.view.y<90, c.eye_z> 1.5f);
        EXPECT_EQ(cam.view.y, 90.0f);
    }
    // Straight below a target on the box floor: lifting the eye would put it on the target.
    camera_case cam;
    cam.settings = {30, 1.5f, kCameraOverTerrain, 0};
    const camera_frame f = cam.Run(Vector4(0, 180, 5, 0));
    EXPECT_TRUE(Finite(f.modelview) && Finite(f.projection) && f.info.view.z >= 0.1f);
}

TEST(Camera, TargetAlwaysVisibleLooksOverARidgeOnly) {
    for (float ridge : {0.0f, 5.0f}) {
        camera_case cam;
        cam.settings.control = kCameraTargetVisible;
        const camera_frame f = cam.Run(Vector4(0, 90, 10, 0), [ridge](float& z, float, float y) {
            z = y <= -4 && y >= -6 ? ridge : 0.0f;
            return true;
        });
        const Vector4 eye = f.info.eye;
        EXPECT_TRUE(ridge > 0 || std::fabs(eye.z - 1.5f) < 1e-5f);  // flat water hides nothing
        for (float y = -6; y <= -4; y += 0.25f)
            EXPECT_GT(1.5f + y / eye.y * (eye.z - 1.5f), ridge) << y;
    }
}

TEST(Camera, NearAndFarEncloseTheBoxAndBoundTheFrustum) {
    const struct {
        float depth_min, depth_max, near, far;
    } cases[] = {{0.2f, 0.9f, 0.5f, 2.0f}, {10, 50, 9.9f, 51}, {-3, 0.5f, 0.5f, 2.0f}};
    for (const auto& c : cases) {
        camera_case cam;  // the eye 1 above the target, looking down: depth = 1 - z
        for (int k = 0; k < 8; ++k)
            cam.box[k] = Vector4(k & 1, k & 2, 1 - (k & 4 ? c.depth_max : c.depth_min));
        const camera_frame f = cam.Run(Vector4(0, 0, 1, 0));
        ExpectNear(Vector4(f.info.near, f.info.far, 0), c.near, c.far, 0);
        Vector4 corners[8];  // land on the corners of clip space
        FrustumCorners(f.modelview, 30, 1.5f, f.info.near, f.info.far, corners);
        const Vector4 p =
            (f.projection * f.modelview).Transform(corners[6].x, corners[6].y, corners[6].z);
        ExpectNear(p / p.w, 1, 1, 1);
    }
}

TEST(SunLight, ShinesFromTheSunAndFitsTheBoxIntoTheShadowMap) {
    Vector4 box[8];  // 12 x 16 x 15: its diagonal is 25
    for (int k = 0; k < 8; ++k)
        box[k] = Vector4(k % 4 == 1 || k % 4 == 2 ? 11 : 0, k % 4 >= 2 ? 15 : 0, k < 4 ? -5 : 10);
    const struct {
        float azimuth, zenith, brightness, lx, ly, lz;
    } cases[] = {{0, 0, 1.1f, 0, 0, 25},
                 {0, 90, 0.2f, 0, -25, 0},
                 {90, 90, 0.2f, 25, 0, 0},
                 {30, 45, 1.04375f, 8.838835f, -15.309311f, 17.677670f}};
    for (const auto& c : cases) {
        const sun_light s =
            SunLight(KR::Vector2(12, 16), -5, 10, Vector4(c.azimuth, c.zenith), box);
        EXPECT_NEAR(s.brightness, c.brightness, 1e-6f);
        ExpectNear(s.position, c.lx, c.ly, c.lz);
        // The sky's light turns against the world by twice the azimuth: here by 120 degrees.
        if (c.azimuth == 30) ExpectNear(s.sky_light, 0.353553f, 0.612372f, 0.707107f);
        Vector4 lo(2, 2, 2), hi(-1, -1, -1);
        for (const Vector4& corner : box) {
            const Vector4 t = s.shadow_matrix.Transform(corner.x, corner.y, corner.z);
            lo = Vector4(std::min(lo.x, t.x), std::min(lo.y, t.y), std::min(lo.z, t.z));
            hi = Vector4(std::max(hi.x, t.x), std::max(hi.y, t.y), std::max(hi.z, t.z));
        }
        ExpectNear(lo, 0, 0, lo.z);  // x and y span the map, depth keeps a margin
        ExpectNear(hi, 1, 1, hi.z);
        EXPECT_TRUE(lo.z > 0 && hi.z < 1);
    }
    // Before there is a terrain the box is a point and the light has no distance.
    std::fill(box, box + 8, Vector4(-1, -1, 0));
    const sun_light none = SunLight(KR::Vector2(0, 0), 0, 0, Vector4(45, 60), box);
    EXPECT_TRUE(Finite(none.shadow_matrix) && std::isfinite(none.sky_light.x));
}

}  // namespace
