#include "render/scene_marks.h"

#include <GL/glew.h>

#include <cmath>
#include <utility>

#include "kr/math/math_constants.h"
#include "terrain/terrain.h"

namespace render {

void DrawEditingCursor(terrain& t, int mode, const KR::Vector4& light_position,
                       const KR::Vector4& light_up) {
    const KR::Vector4& p = t.view_pos;
    glBegin(GL_LINES);
    glColor3f(1, 1, 1);
    glVertex3f(p.x, p.y, t.box_min);
    glVertex3f(p.x, p.y, p.z - 1.5f);
    glColor3f(1, 0, 0);
    glVertex3f(p.x, p.y, p.z - 1.5f);
    glVertex3f(p.x, p.y, p.z - 1.0f);
    if (mode == 1) {
        const KR::Vector4 centre(t.extent.x / 2, t.extent.y / 2, 0, 0);
        for (const KR::Vector4& to : {light_position, light_up}) {
            glVertex3f(centre.x, centre.y, centre.z);
            glVertex3f(centre.x + to.x, centre.y + to.y, centre.z + to.z);
        }
        // The brush circle on the surface, each point joined to the last and dropped to the
        // bottom of the box.
        const float r = t.brush_radius;
        const float step = KR::kPi / (3.0f * r);
        KR::Vector4 last;
        bool first = true;
        for (float a = 0; a < 2 * KR::kPi && step > 0; a += step) {
            const float x = p.x + r * std::cos(a), y = p.y + r * std::sin(a);
            float z;
            if (!t.GetShownSurfaceHeight(z, x, y)) z = t.box_min;
            const KR::Vector4 here(x, y, z + 0.3f, 0);
            if (!first) {
                glVertex3f(last.x, last.y, last.z);
                glVertex3f(here.x, here.y, here.z);
                glVertex3f(here.x, here.y, here.z);
                glVertex3f(here.x, here.y, t.box_min);
            }
            last = here;
            first = false;
        }
    }
    glEnd();
}

void DrawLightViewOverlay(const KR::Vector4 box[8], const KR::Vector4 frustum[8]) {
    glColor4f(0.5f, 0.5f, 1, 1);
    glBegin(GL_LINES);
    for (int k = 0; k < 4; ++k) {
        const int next = (k + 1) % 4;
        for (const auto& [a, b] :
             {std::pair{k, next}, std::pair{k + 4, next + 4}, std::pair{k, k + 4}}) {
            glVertex3f(box[a].x, box[a].y, box[a].z);
            glVertex3f(box[b].x, box[b].y, box[b].z);
        }
    }
    glEnd();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    // Near and far, then the four sides; two faces share each colour.
    static constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                                         {2, 6, 7, 3}, {1, 5, 6, 2}, {0, 3, 7, 4}};
    static constexpr float kColours[3][4] = {
        {0.5f, 0.5f, 1, 0.2f}, {1, 0.5f, 0.5f, 0.2f}, {0.5f, 1, 0.5f, 0.2f}};
    glBegin(GL_QUADS);
    for (int f = 0; f < 6; ++f) {
        glColor4fv(kColours[f / 2]);
        for (int corner : kFaces[f])
            glVertex3f(frustum[corner].x, frustum[corner].y, frustum[corner].z);
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void DrawAquariumBox(const terrain& t, float z_aquarium) {
    const float x0 = -1, y0 = -1, x1 = t.extent.x, y1 = t.extent.y, bottom = t.box_min;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    auto walls = [&](float low, float high) {
        glVertex3f(x0, y0, low), glVertex3f(x1, y0, low), glVertex3f(x1, y0, high),
            glVertex3f(x0, y0, high);
        glVertex3f(x1, y0, low), glVertex3f(x1, y1, low), glVertex3f(x1, y1, high),
            glVertex3f(x1, y0, high);
        glVertex3f(x1, y1, low), glVertex3f(x0, y1, low), glVertex3f(x0, y1, high),
            glVertex3f(x1, y1, high);
        glVertex3f(x0, y1, low), glVertex3f(x0, y0, low), glVertex3f(x0, y0, high),
            glVertex3f(x0, y1, high);
    };
    glBegin(GL_QUADS);
    glColor4f(0.8f, 1, 1, 0.4f);
    glVertex3f(x0, y0, z_aquarium), glVertex3f(x1, y0, z_aquarium);
    glVertex3f(x1, y1, z_aquarium), glVertex3f(x0, y1, z_aquarium);
    glColor4f(0.6f, 0.9f, 1, 0.4f);
    walls(0, z_aquarium);
    glColor4f(0.3f, 0.6f, 1, 0.4f);
    walls(bottom, 0);
    glColor4f(0.2f, 0.5f, 1, 0.4f);
    glVertex3f(x0, y0, bottom), glVertex3f(x0, y1, bottom);
    glVertex3f(x1, y1, bottom), glVertex3f(x1, y0, bottom);
    glEnd();
    glDisable(GL_BLEND);
}

}  // namespace render
