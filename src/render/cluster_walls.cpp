// The walls along a cluster's edges: translucent water held in by the aquarium, and the soil
// cut down to the floor of the scene box.

#include <GL/glew.h>

#include <algorithm>

#include "render/cluster_draw.h"
#include "terrain/cluster.h"
#include "terrain/simulation_settings.h"

namespace render {
namespace {

// One quad between grid points a and b, top a, top b, bottom b, bottom a: counter-clockwise
// seen from outside when b lies to the viewer's left of a.
void WallQuad(const cluster& c, const wall_heights& h, int ax, int ay, int bx, int by) {
    const size_t a = size_t(ay) * c.size_x + ax, b = size_t(by) * c.size_x + bx;
    auto top = [&](size_t v) {
        const float z = h.top[3 * v + 2];
        return h.top_or ? std::max(z, h.top_or[3 * v + 2]) : z;
    };
    auto bottom = [&](size_t v) { return h.bottom ? h.bottom[3 * v + 2] : h.floor; };
    glVertex3f(float(ax), float(ay), top(a));
    glVertex3f(float(bx), float(by), top(b));
    glVertex3f(float(bx), float(by), bottom(b));
    glVertex3f(float(ax), float(ay), bottom(a));
}

}  // namespace

void EmitEdgeWalls(const cluster& c, const wall_heights& h) {
    const int qx = c.quads_x, qy = c.quads_y;
    glBegin(GL_QUADS);
    for (int j = 0; j < qy; ++j) {
        WallQuad(c, h, 0, j, 0, j + 1);
        WallQuad(c, h, qx, j + 1, qx, j);
    }
    for (int i = 0; i < qx; ++i) {
        WallQuad(c, h, i + 1, 0, i, 0);
        WallQuad(c, h, i, qy, i + 1, qy);
    }
    glEnd();
}

void DrawAquariumWalls(const cluster_pass& pass) {
    // The water the aquarium edge holds up, from the ground to its surface.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const KR::Vector4& w = pass.colors.water;
    glColor4f(w.x, w.y, w.z, 0.7f);
    glPolygonMode(GL_BACK, GL_FILL);
    wall_heights h;
    h.top = pass.TerrainPositions();
    h.top_or = pass.WaterPositions();
    h.bottom = pass.TerrainPositions();
    EmitEdgeWalls(pass.c, h);
    glDisable(GL_BLEND);
}

void DrawSoilWalls(const cluster_pass& pass) {
    // Seen from inside, a wall is only outlined so it does not hide the ground behind it.
    glPolygonMode(GL_BACK, GL_LINE);
    const float grey = 0.3f * pass.brightness;
    glColor4f(grey, grey, grey, 1.0f);
    wall_heights h;
    h.top = pass.TerrainPositions();
    h.floor = pass.box_min;
    EmitEdgeWalls(pass.c, h);
}

}  // namespace render
