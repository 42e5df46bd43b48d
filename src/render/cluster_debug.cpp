// The debug views of a cluster: wireframes of the ground and the water, the depth, the flow
// and the normals of every grid point, as one batch of lines.

#include <GL/glew.h>

#include "render/cluster_draw.h"
#include "terrain/cluster.h"
#include "terrain/directions.h"

namespace render {
namespace {

enum debug_view : uint32_t {
    kDirections = 1,
    kDirectionComponents = 2,
    kDepth = 4,
    kTerrainWireframe = 8,
    kWaterWireframe = 16,
    kTerrainNormals = 32,
    kWaterNormals = 64,
};

constexpr float kLift = 0.02f;  // keeps the wireframes above the surfaces they outline

void Line(float x0, float y0, float z0, float x1, float y1, float z1) {
    glVertex3f(x0, y0, z0);
    glVertex3f(x1, y1, z1);
}

// The flow of grid point (x, y) drawn at its surface: the sum of the flows along their
// directions, the red part the speed the depth carries; then each direction on its own.
void FlowLines(const vertex_2d_field& field, int x, int y, float w, uint32_t views) {
    float f[directions::kCount];
    float vx = 0, vy = 0;
    for (int i = 0; i < directions::kCount; ++i) {
        f[i] = field.GetFlow(x + 1, y + 1, i);
        vx += f[i] * float(directions::dx[i]);
        vy += f[i] * float(directions::dy[i]);
    }
    if (views & kDirections) {
        const float depth = field.GetWater(x + 1, y + 1) + 1;
        const float ux = x + vx / depth, uy = y + vy / depth;
        glColor3f(1, 0, 0);
        Line(float(x), float(y), w, ux, uy, w);
        glColor3f(1, 1, 0);
        Line(ux, uy, w, x + vx, y + vy, w);
    }
    if (views & kDirectionComponents) {
        glColor3f(0, 1, 1);
        for (int i = 0; i < directions::kCount; ++i)
            Line(float(x), float(y), w, x + f[i] * directions::dx[i], y + f[i] * directions::dy[i],
                 w);
    }
}

}  // namespace

void DrawDebugViews(const cluster_pass& pass, uint32_t views) {
    const cluster& c = pass.c;
    const float* tpos = pass.TerrainPositions();
    const float* wpos = pass.WaterPositions();
    const float* tnorm = pass.TerrainNormals();
    const float* wnorm = pass.WaterNormals();
    const vertex_2d_field& field = *c.read_field;
    const int sx = c.size_x;
    glDisable(GL_LIGHTING);  // the views are plain colours, whatever was drawn before
    glBegin(GL_LINES);
    for (int r = 0; r < c.size_y; ++r)
        for (int col = 0; col < sx; ++col) {
            const size_t v = size_t(r) * sx + col;
            const float x = float(col), y = float(r);
            const float t = tpos[3 * v + 2], w = wpos[3 * v + 2];
            const bool inner = col < c.quads_x && r < c.quads_y;
            if ((views & kTerrainWireframe) && inner) {
                glColor3f(1, 1, 0);
                Line(x, y, t + kLift, x + 1, y, tpos[3 * (v + 1) + 2] + kLift);
                Line(x, y, t + kLift, x, y + 1, tpos[3 * (v + sx) + 2] + kLift);
            }
            if ((views & kWaterWireframe) && inner) {
                // Dry ground holds its surface a unit under the ground; edges that sink to the
                // floor of the box would only clutter the view.
                glColor3f(0.5f, 0.5f, 1);
                const float a = w + kLift;
                const float b = wpos[3 * (v + 1) + 2] + kLift, d = wpos[3 * (v + sx) + 2] + kLift;
                if (a > pass.box_min && b > pass.box_min) Line(x, y, a, x + 1, y, b);
                if (a > pass.box_min && d > pass.box_min) Line(x, y, a, x, y + 1, d);
            }
            if (views & kDepth) {
                glColor3f(1, 1, 1);
                Line(x, y, t, x, y, w);
            }
            if (views & (kDirections | kDirectionComponents)) FlowLines(field, col, r, w, views);
            if (views & kTerrainNormals) {
                glColor3f(1, 1, 1);
                glVertex3f(x, y, t);
                glColor3f(1, 0, 0);
                glVertex3f(x + tnorm[3 * v], y + tnorm[3 * v + 1], t + tnorm[3 * v + 2]);
            }
            if (views & kWaterNormals) {
                glColor3f(0, 1, 0);
                glVertex3f(x, y, w);
                glColor3f(0, 0, 1);
                glVertex3f(x + wnorm[3 * v], y + wnorm[3 * v + 1], w + wnorm[3 * v + 2]);
            }
        }
    glEnd();
}

}  // namespace render
