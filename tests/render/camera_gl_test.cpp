// The camera's and the sun's matrices against what GLU and glOrtho build from the same numbers.

#include <algorithm>
#include <cmath>

#include "graphics/graphics_state.h"
#include "support/gl_test.h"
#include "terrain/camera.h"
#include "terrain/scene_box.h"
#include "terrain/sun_light.h"
#include "terrain/terrain.h"

namespace {

// GL's current `which` matrix equals m within 1e-5, relative to the larger elements.
void ExpectHolds(GLenum which, const KR::Matrix4x4& m) {
    KR::Matrix4x4 gl;
    glGetFloatv(which, gl.m);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m.m[i], gl.m[i],
                    1e-5f * std::max({1.0f, std::fabs(m.m[i]), std::fabs(gl.m[i])}));
}

using CameraGL = QorTest::GLTest;

TEST_F(CameraGL, MatricesAreWhatGluAndGlOrthoBuild) {
    std::vector<float> heights(24 * 20);  // a ramp rising to the east
    for (size_t k = 0; k < heights.size(); ++k)
        heights[k] = 0.5f * float(k % 24);
    terrain t;
    t.BuildFromHeights(heights.data(), 24, 20);
    KR::Vector4 box[8];
    SceneBox(t, box);
    graphics::gl_state.view_aspect = 4.0f / 3.0f;
    for (const KR::Vector4 view :
         {KR::Vector4(0, 0, 30, 0), KR::Vector4(35, 70, 25, 10), KR::Vector4(300, 95, 15, -20)}) {
        t.view = view;
        camera_info info;
        t.UpdateCamera(box, &info);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_PROJECTION);
        KR::Matrix4x4 projection, modelview;
        glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
        glLoadIdentity();
        gluPerspective(30, 4.0 / 3.0, info.near, info.far);
        ExpectHolds(GL_PROJECTION_MATRIX, projection);

        // The stored state is settled now: the same frame again, for its up vector.
        const KR::Vector4 up = ComputeCamera(t, box, 30, 4.0f / 3.0f, 1).up;
        const KR::Vector4 &eye = info.eye, &at = info.target;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, up.x, up.y, up.z);
        ExpectHolds(GL_MODELVIEW_MATRIX, modelview);

        const sun_light s = SunLight(t.extent, t.box_min, t.box_max, view * 0.8f, box);
        const KR::Vector4 &c = s.center, &l = s.position, &u = s.up;
        glLoadIdentity();
        gluLookAt(c.x + l.x, c.y + l.y, c.z + l.z, c.x, c.y, c.z, u.x, u.y, u.z);
        ExpectHolds(GL_MODELVIEW_MATRIX, s.view);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(s.box.left, s.box.right, s.box.bottom, s.box.top, s.box.near, s.box.far);
        ExpectHolds(GL_PROJECTION_MATRIX, s.projection);
    }
}

}  // namespace
