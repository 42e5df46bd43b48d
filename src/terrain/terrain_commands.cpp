// Commands that disturb the water or edit the ground. They run on the main thread while no
// step is in flight, and write the write field, which the next hand-over makes current.

#include <cmath>

#include "terrain/directions.h"
#include "terrain/terrain.h"

namespace {

// Calls visit(x, y) for every interior position of a field, columns outer.
template <class Visit>
void ForInterior(const vertex_2d_field& f, Visit visit) {
    for (int x = 1; x <= f.Width() - 2; ++x)
        for (int y = 1; y <= f.Height() - 2; ++y)
            visit(x, y);
}

float Distance(int x, int y, float cx, float cy) {
    return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
}

}  // namespace

void terrain::ResetWater() {
    for (unsigned c = 0; c < cluster_count; ++c)
        for (vertex_2d_field* f : {clusters[c].write_field, clusters[c].read_field})
            ForInterior(*f, [f](int x, int y) { f->ResetWater(x, y); });
}

void terrain::ResetMovement() {
    for (unsigned c = 0; c < cluster_count; ++c)
        for (vertex_2d_field* f : {clusters[c].write_field, clusters[c].read_field})
            ForInterior(*f, [f](int x, int y) { f->ClearFlows(x, y); });
}

void terrain::Tsunami() {
    const float cx = view_pos.x + 1, cy = view_pos.y + 1, radius = brush_radius;
    for (unsigned c = 0; c < cluster_count; ++c) {
        vertex_2d_field& W = *clusters[c].write_field;
        ForInterior(W, [&](int x, int y) {
            const float d = Distance(x, y, cx, cy);
            if (d < radius) W.AddWater(x, y, radius - d);
        });
    }
}

void terrain::SmoothTerrain() {
    for (unsigned c = 0; c < cluster_count; ++c) {
        const vertex_2d_field& R = *clusters[c].read_field;
        vertex_2d_field& W = *clusters[c].write_field;
        ForInterior(W, [&](int x, int y) {
            float sum = 0;
            for (int j = y - 1; j <= y + 1; ++j)
                for (int i = x - 1; i <= x + 1; ++i)
                    sum += R.GetTerrain(i, j);
            W.SetTerrain(x, y, sum / 9.0f);
        });
    }
}

void terrain::SmoothBrush() {
    const float cx = view_pos.x + 1, cy = view_pos.y + 1, radius = brush_radius;
    for (unsigned c = 0; c < cluster_count; ++c) {
        const vertex_2d_field& R = *clusters[c].read_field;
        vertex_2d_field& W = *clusters[c].write_field;
        ForInterior(W, [&](int x, int y) {
            const float d = Distance(x, y, cx, cy);
            if (!(d < radius)) return;
            const float s = 1 - d / radius;
            float neighbours = 0;
            for (int i = 0; i < directions::kCount; ++i)
                neighbours += R.GetTerrain(x + directions::dx[i], y + directions::dy[i]);
            W.SetTerrain(x, y, R.GetTerrain(x, y) * (1 - s) + neighbours * (s / 8));
        });
    }
}

void terrain::RaiseBrush(float amount) {
    const float cx = view_pos.x + 1, cy = view_pos.y + 1, radius = brush_radius;
    for (unsigned c = 0; c < cluster_count; ++c) {
        vertex_2d_field& W = *clusters[c].write_field;
        ForInterior(W, [&](int x, int y) {
            const float d = Distance(x, y, cx, cy);
            if (d < radius)
                W.AddTerrain(x, y, float((std::cos(d / radius * M_PI) + 1) / 2) * amount);
        });
    }
}
