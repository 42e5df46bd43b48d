#include "terrain/reference_model.h"

#include <cmath>
#include <stdexcept>

#include "kr/base/random.h"

namespace QorTest::reference {

// The constants and the direction table are stated here again rather than taken from the
// program's headers: an oracle that shared them would agree with a wrong value.
namespace {

// Water step; all of its arithmetic is single precision.
constexpr float kFlowAcceleration = 0.1f;   // flow += surface drop * timescale * 0.1
constexpr float kDepthToDamping = 1000.0f;  // k = water * 1000 - random
constexpr float kDampingCeiling = 0.999f;   // k's clamp and the share of water that may leave
constexpr float kDiagonalTransport = 0.8f;  // share of a diagonal flow that is moved
constexpr float kBackFlowBraking = 0.1f;    // the receiver's back flow loses q * t * 0.1

// Slope collapse.
constexpr float kTalusAxis = 1.0f;                          // allowed drop to an axis
const float kTalusDiagonal = std::sqrt(2.0f) * kTalusAxis;  // and to a diagonal
const float kDiagonalSlide = std::sqrt(2.0f) / 2;           // weight of a diagonal excess

// A fresh landscape is flooded up to this level.
constexpr float kFloodLevel = 10.0f;

// Draw buffers: the vertex, its axis mean and its diagonal mean each weigh kDepthShare in the
// smoothed depth; water drawn below the ground has its normal upright 1 / kSunkNormalGain down.
constexpr float kDepthShare = 0.33f;
constexpr float kSunkNormalGain = 10.0f;

// The eight neighbours, axes first, then the diagonals, then the vertex itself.
struct direction {
    int dx, dy, opposite;
};
constexpr direction kDirections[9] = {
    {+1, 0, 1},   // axis
    {-1, 0, 0},   // axis
    {0, +1, 3},   // axis
    {0, -1, 2},   // axis
    {+1, +1, 5},  // diagonal
    {-1, -1, 4},  // diagonal
    {+1, -1, 7},  // diagonal
    {-1, +1, 6},  // diagonal
    {0, 0, -1},   // the vertex itself
};
constexpr int kFirstDiagonal = 4;

constexpr int dx(int i) {
    return kDirections[i].dx;
}
constexpr int dy(int i) {
    return kDirections[i].dy;
}

}  // namespace

void cluster_vertex::Init(cluster* o) {
    ResetWater();
    terrain = 0;
    owner = o;
}
void cluster_vertex::SetWater(float v) {
    water = v;
    if (water < 0) water = 0;
}
void cluster_vertex::AddWater(float v) {
    water += v;
    if (water < 0) water = 0;
}
void cluster_vertex::ResetWater() {
    ClearFlows();
    water = 0;
}
void cluster_vertex::ClearFlows() {
    for (float& f : flow)
        f = 0;
}
void cluster_vertex::CopyFrom(vertex_base* other) {
    auto* o = static_cast<cluster_vertex*>(other);
    terrain = o->terrain;
    water = o->water;
    for (int i = 0; i < 8; ++i)
        flow[i] = o->flow[i];
}

void border_vertex::Init(cluster* o) {
    owner = o;
    mirror = nullptr;
}
float border_vertex::GetSurface() {
    if (owner->settings->aquarium) return owner->settings->z_aquarium;
    return mirror->GetTerrain();
}

void vertex_2d_field::Allocate(cluster* o, int columns, int rows) {
    owner = o;
    width = columns + 2;
    height = rows + 2;
    vertices.clear();
    vertices.resize(size_t(width) * height);
    for (int y = 1; y <= height - 2; ++y)
        for (int x = 1; x <= width - 2; ++x) {
            vertices[size_t(y) * width + x] = std::make_unique<cluster_vertex>();
            Get(x, y)->Init(owner);
        }
    for (int x = 0; x < width; ++x)
        for (int y : {0, height - 1}) {
            vertices[size_t(y) * width + x] = std::make_unique<border_vertex>();
            Get(x, y)->Init(owner);
        }
    for (int y = 1; y <= height - 2; ++y)
        for (int x : {0, width - 1}) {
            vertices[size_t(y) * width + x] = std::make_unique<border_vertex>();
            Get(x, y)->Init(owner);
        }
}

void vertex_2d_field::SwitchCopy(vertex_2d_field& source) {
    if (source.width != width || source.height != height || source.owner != owner)
        throw std::logic_error("incompatible fields");
    for (int y = 1; y <= height - 2; ++y)
        for (int x = 1; x <= width - 2; ++x)
            Get(x, y)->CopyFrom(source.Get(x, y));
}

void cluster::Generate(const std::vector<float>& heights, int columns, int rows) {
    fields[0].Allocate(this, columns, rows);
    fields[1].Allocate(this, columns, rows);
    read_field = &fields[0];
    write_field = &fields[1];
    size_x = columns;
    size_y = rows;
    quads_x = size_x - 1;
    quads_y = size_y - 1;
    const int n = size_x * size_y + quads_x * quads_y;
    buffers.vertex_data.assign(size_t(13) * n, 0.0f);
    buffers.terrain_pos_offset = 0;
    buffers.terrain_normal_offset = 3 * n;
    buffers.depth_offset = 6 * n;
    buffers.water_pos_offset = 7 * n;
    buffers.water_normal_offset = 10 * n;
    float* data = buffers.vertex_data.data();
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const int v = r * size_x + c;
            for (int block : {buffers.terrain_pos_offset, buffers.water_pos_offset}) {
                data[block + 3 * v] = float(c);
                data[block + 3 * v + 1] = float(r);
            }
        }
    for (int r = 0; r < quads_y; ++r)
        for (int c = 0; c < quads_x; ++c) {
            const int v = size_x * size_y + r * quads_x + c;
            for (int block : {buffers.terrain_pos_offset, buffers.water_pos_offset}) {
                data[block + 3 * v] = c + 0.5f;
                data[block + 3 * v + 1] = r + 0.5f;
            }
        }
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const float h = heights[size_t(r) * columns + c];
            read_field->Get(c + 1, r + 1)->SetTerrain(h);
            read_field->Get(c + 1, r + 1)->SetWater(kFloodLevel - h);
        }
    LinkBorders();
    write_field->SwitchCopy(*read_field);
}

void cluster::LinkBorders() {
    for (vertex_2d_field* f : {&fields[0], &fields[1]}) {
        const int w = f->width, h = f->height;
        auto link = [f](int x, int y, int tx, int ty) {
            static_cast<border_vertex*>(f->Get(x, y))->mirror = f->Get(tx, ty);
        };
        for (int y = 1; y <= h - 2; ++y) {
            link(0, y, 1, y);
            link(w - 1, y, w - 2, y);
        }
        for (int x = 1; x <= w - 2; ++x) {
            link(x, 0, x, 1);
            link(x, h - 1, x, h - 2);
        }
        link(0, 0, 1, 1);
        link(w - 1, 0, w - 2, 1);
        link(0, h - 1, 1, h - 2);
        link(w - 1, h - 1, w - 2, h - 2);
    }
}

void cluster::Step(const simulation_settings& s) {
    settings = &s;
    if (!s.stop_rain && !s.stop_water) RainPass(s);
    if (!s.stop_water) FlowPass(s);
    if (!s.stop_erosion) SlopePass();
}

void cluster::RainPass(const simulation_settings& s) {
    vertex_2d_field& W = *write_field;
    for (int y = 1; y <= W.height - 2; ++y)
        for (int x = 1; x <= W.width - 2; ++x) {
            vertex_base* v = W.Get(x, y);
            if (s.rain_type == 1)
                v->AddWater(s.rain_multiplier * s.timescale);
            else if (s.rain_type == 2)
                v->AddWater(v->GetTerrain() * s.rain_multiplier * s.timescale);
        }
}

void cluster::FlowPass(const simulation_settings& s) {
    vertex_2d_field& R = *read_field;
    vertex_2d_field& W = *write_field;
    // Phase 1: accelerate the flows by the surface drops and limit them to the water held.
    for (int y = 1; y <= R.height - 2; ++y)
        for (int x = 1; x <= R.width - 2; ++x) {
            auto* P = static_cast<cluster_vertex*>(R.Get(x, y));
            const float h = P->GetSurface();
            for (int i = 0; i < 8; ++i) {
                vertex_base* Q = R.Get(x + dx(i), y + dy(i));
                P->flow[i] += (h - Q->GetSurface()) * s.timescale * kFlowAcceleration;
                if (P->flow[i] < 0) P->flow[i] = 0;
            }
            float k = P->water * kDepthToDamping - KR::RandomFloat(0, s.randomness);
            if (k < 0) k = 0;
            if (k > kDampingCeiling) k = kDampingCeiling;
            float T = 0.0f;
            for (int i = 0; i < 8; ++i)
                T += P->flow[i];
            float f = T * k;
            if (!(f < P->water * kDampingCeiling)) f = P->water * kDampingCeiling;
            if (T > 0) f = f / T;
            const float scale = k * f;
            auto* out = static_cast<cluster_vertex*>(W.Get(x, y));
            out->outflow = 0;
            for (int i = 0; i < 8; ++i) {
                P->flow[i] *= scale;
                out->flow[i] = P->flow[i];
                out->outflow += out->flow[i];
            }
        }
    // Phase 2: move the water along the scaled flows, carrying momentum into the receiver.
    for (int y = 1; y <= R.height - 2; ++y)
        for (int x = 1; x <= R.width - 2; ++x) {
            auto* V = static_cast<cluster_vertex*>(W.Get(x, y));
            auto* source = static_cast<cluster_vertex*>(R.Get(x, y));
            for (int i = 0; i < 8; ++i) {
                float q = source->flow[i] * s.timescale;
                if (i >= kFirstDiagonal) q *= kDiagonalTransport;
                if (q <= 0) continue;
                vertex_base* N = W.Get(x + dx(i), y + dy(i));
                N->AddWater(q);
                V->AddWater(0 - q);
                if (!N->IsClusterVertex()) continue;
                auto* n = static_cast<cluster_vertex*>(N);
                const float t = q / n->GetWater();
                n->flow[i] = (1 - t) * n->flow[i] + V->flow[i] * t;
                const int j = kDirections[i].opposite;
                n->flow[j] = (1 - t) * n->flow[j] - q * t * kBackFlowBraking;
                if (n->flow[j] < 0) n->flow[j] = 0;
            }
        }
}

void cluster::SlopePass() {
    vertex_2d_field& R = *read_field;
    vertex_2d_field& W = *write_field;
    for (int x = 1; x <= R.width - 2; ++x)
        for (int y = 1; y <= R.height - 2; ++y) {
            float h[9], d[9];
            for (int i = 0; i < 9; ++i) {
                h[i] = R.Get(x + dx(i), y + dy(i))->GetTerrain();
                d[i] = 0;
            }
            const float a = h[8] - kTalusAxis;
            const float b = h[8] - kTalusDiagonal;
            int count = 0;
            for (int i = 0; i < kFirstDiagonal; ++i)
                if (a > h[i]) d[i] = a - h[i], ++count;
            for (int i = kFirstDiagonal; i < 8; ++i)
                if (b > h[i]) d[i] = (b - h[i]) * kDiagonalSlide, ++count;
            if (count == 0) continue;
            float sum = 0.0f;
            for (int i = 0; i < 9; ++i)
                sum += d[i];
            const float D = sum / float(2 * count);
            W.Get(x, y)->AddTerrain(0 - D);
            for (int i = 0; i < 8; ++i)
                W.Get(x + dx(i), y + dy(i))->AddTerrain(d[i] / float(2 * count));
        }
}

void cluster::SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max) {
    std::swap(read_field, write_field);
    write_field->SwitchCopy(*read_field);
    RefreshBuffers(s, z_min, z_max);
}

void cluster::RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max) {
    settings = &s;
    vertex_2d_field& F = *read_field;
    float* data = buffers.vertex_data.data();
    float* tpos = data + buffers.terrain_pos_offset;
    float* tnorm = data + buffers.terrain_normal_offset;
    float* depth = data + buffers.depth_offset;
    float* wpos = data + buffers.water_pos_offset;
    float* wnorm = data + buffers.water_normal_offset;
    const float m = s.water_min_depth;
    auto T = [&](int c, int r) { return tpos[3 * (r * size_x + c) + 2]; };
    auto Dp = [&](int c, int r) { return depth[r * size_x + c]; };

    // 1. Heights.
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const int v = r * size_x + c;
            const float t = F.Get(c + 1, r + 1)->GetTerrain();
            const float w = F.Get(c + 1, r + 1)->GetWater();
            float Wz = t + w;
            if (w < m) Wz = t + w + (w / m - 1);
            tpos[3 * v + 2] = t;
            depth[v] = w;
            wpos[3 * v + 2] = Wz;
            if (t < z_min) z_min = t;
            if (Wz > z_max) z_max = Wz;
        }
    // 2. Shallow water leans towards lower, wetter neighbours.
    for (int r = 1; r < quads_y; ++r)
        for (int c = 1; c < quads_x; ++c) {
            const int v = r * size_x + c;
            const float w = depth[v];
            if (!(w < m)) continue;
            const float t = T(c, r);
            const float a = w / m;
            float S = 0, G = 0;
            int higher = 0;
            for (int i = 0; i < 8; ++i) {
                const int nc = c + dx(i), nr = r + dy(i);
                const float dn = Dp(nc, nr), tn = T(nc, nr);
                const float g = std::min(dn / m, 1.0f);
                if (t > tn) {
                    S += (dn + tn) * g;
                    G += g;
                } else {
                    ++higher;
                }
            }
            if (G > 0) {
                wpos[3 * v + 2] = (t + w) * a + (S / G) * (1 - a);
            } else if (higher == 8) {
                float Wz = t + w;
                // The depth, not the surface height, decides: dry flat ground is sunk.
                if (w < m / 10) Wz = (1 / (m * 10)) * w - 1 + Wz;
                wpos[3 * v + 2] = Wz;
            }
        }
    // 3. Smoothed depth from the field.
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const int x = c + 1, y = r + 1;
            float axis = 0, diagonal = 0;
            for (int i = 0; i < kFirstDiagonal; ++i)
                axis += F.Get(x + dx(i), y + dy(i))->GetWater();
            for (int i = kFirstDiagonal; i < 8; ++i)
                diagonal += F.Get(x + dx(i), y + dy(i))->GetWater();
            depth[r * size_x + c] = kDepthShare * F.Get(x, y)->GetWater() +
                                    kDepthShare * (axis / 4) + kDepthShare * (diagonal / 4);
        }
    // 4. Normals, one-sided at the edges.
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            const int v = r * size_x + c;
            const int cl = c > 0 ? c - 1 : c, cr = c < size_x - 1 ? c + 1 : c;
            const int rd = r > 0 ? r - 1 : r, ru = r < size_y - 1 ? r + 1 : r;
            auto z = [&](const float* pos, int cc, int rr) {
                return pos[3 * (rr * size_x + cc) + 2];
            };
            tnorm[3 * v] = z(tpos, cl, r) - z(tpos, cr, r);
            tnorm[3 * v + 1] = z(tpos, c, rd) - z(tpos, c, ru);
            tnorm[3 * v + 2] = 1.0f;
            float n[3] = {z(wpos, cl, r) - z(wpos, cr, r), z(wpos, c, rd) - z(wpos, c, ru), 1.0f};
            const float t = tpos[3 * v + 2], Wz = wpos[3 * v + 2];
            if (Wz < t) {
                const float e = std::min((t - Wz) * kSunkNormalGain, 1.0f);
                n[0] = e * 0.0f + (1 - e) * n[0];
                n[1] = e * 0.0f + (1 - e) * n[1];
                n[2] = e * 1.0f + (1 - e) * n[2];
            }
            for (int k = 0; k < 3; ++k)
                wnorm[3 * v + k] = n[k];
        }
    // 5. Centre vertices of the quad fans.
    for (int r = 0; r < quads_y; ++r)
        for (int c = 0; c < quads_x; ++c) {
            const int a = r * size_x + c, b = a + 1, d = a + size_x, e = d + 1;
            const int mv = size_x * size_y + r * quads_x + c;
            auto lower = [](float za, float zb, float zd, float ze) {
                const float bd = zb + zd, ae = za + ze;
                return 0.5f * (ae < bd ? ae : bd);
            };
            tpos[3 * mv + 2] =
                lower(tpos[3 * a + 2], tpos[3 * b + 2], tpos[3 * d + 2], tpos[3 * e + 2]);
            wpos[3 * mv + 2] =
                lower(wpos[3 * a + 2], wpos[3 * b + 2], wpos[3 * d + 2], wpos[3 * e + 2]);
            depth[mv] = 0.25f * (depth[a] + depth[b] + depth[d] + depth[e]);
            for (int k = 0; k < 3; ++k) {
                tnorm[3 * mv + k] = 0.25f * (tnorm[3 * a + k] + tnorm[3 * b + k] +
                                             tnorm[3 * d + k] + tnorm[3 * e + k]);
                wnorm[3 * mv + k] = 0.25f * (wnorm[3 * a + k] + wnorm[3 * b + k] +
                                             wnorm[3 * d + k] + wnorm[3 * e + k]);
            }
        }
}

namespace {
template <class Visit>
void ForInterior(vertex_2d_field& f, Visit visit) {
    for (int x = 1; x <= f.width - 2; ++x)
        for (int y = 1; y <= f.height - 2; ++y)
            visit(x, y);
}
}  // namespace

void ResetWater(cluster& c) {
    for (vertex_2d_field* f : {c.write_field, c.read_field})
        ForInterior(*f, [f](int x, int y) { f->Get(x, y)->ResetWater(); });
}

void ResetMovement(cluster& c) {
    for (vertex_2d_field* f : {c.write_field, c.read_field})
        ForInterior(*f, [f](int x, int y) { f->Get(x, y)->ClearFlows(); });
}

void Tsunami(cluster& c, float view_x, float view_y, float radius) {
    const float cx = view_x + 1, cy = view_y + 1;
    vertex_2d_field& W = *c.write_field;
    ForInterior(W, [&](int x, int y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        if (d < radius) W.Get(x, y)->AddWater(radius - d);
    });
}

void SmoothTerrain(cluster& c) {
    vertex_2d_field& R = *c.read_field;
    vertex_2d_field& W = *c.write_field;
    ForInterior(W, [&](int x, int y) {
        float sum = 0;
        for (int j = y - 1; j <= y + 1; ++j)
            for (int i = x - 1; i <= x + 1; ++i)
                sum += R.Get(i, j)->GetTerrain();
        W.Get(x, y)->SetTerrain(sum / 9.0f);
    });
}

void SmoothBrush(cluster& c, float view_x, float view_y, float radius) {
    const float cx = view_x + 1, cy = view_y + 1;
    vertex_2d_field& R = *c.read_field;
    vertex_2d_field& W = *c.write_field;
    ForInterior(W, [&](int x, int y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        if (!(d < radius)) return;
        const float s = 1 - d / radius;
        float neighbours = 0;
        for (int i = 0; i < 8; ++i)
            neighbours += R.Get(x + dx(i), y + dy(i))->GetTerrain();
        W.Get(x, y)->SetTerrain(R.Get(x, y)->GetTerrain() * (1 - s) + neighbours * (s / 8));
    });
}

void RaiseBrush(cluster& c, float view_x, float view_y, float radius, float amount) {
    const float cx = view_x + 1, cy = view_y + 1;
    vertex_2d_field& W = *c.write_field;
    ForInterior(W, [&](int x, int y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        if (d < radius)
            W.Get(x, y)->AddTerrain(float((std::cos(d / radius * M_PI) + 1) / 2) * amount);
    });
}

}  // namespace QorTest::reference
