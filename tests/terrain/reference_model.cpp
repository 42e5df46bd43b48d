#include "terrain/reference_model.h"

#include <algorithm>
#include <cmath>
#include <numeric>

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
    int dx, dy;
    int opposite;
};
// clang-format off
constexpr direction kDirections[9] = {
    {+1, 0, 1}, {-1, 0, 0}, {0, +1, 3}, {0, -1, 2},    // axes
    {+1, +1, 5}, {-1, -1, 4}, {+1, -1, 7}, {-1, +1, 6},  // diagonals
    {0, 0, -1}};                                         // the vertex itself
// clang-format on
constexpr int kFirstDiagonal = 4;

constexpr int dx(int i) {
    return kDirections[i].dx;
}
constexpr int dy(int i) {
    return kDirections[i].dy;
}

}  // namespace

// ---- field

void field::Allocate(int columns, int rows) {
    width = columns + 2;
    height = rows + 2;
    v.assign(size_t(width) * height, vertex{});
}
float field::Terrain(int x, int y) {
    return At(std::clamp(x, 1, width - 2), std::clamp(y, 1, height - 2)).terrain;
}
float field::Surface(int x, int y, const simulation_settings& s) {
    if (!Ring(x, y)) return At(x, y).water + At(x, y).terrain;
    return s.aquarium ? s.z_aquarium : Terrain(x, y);
}
void field::SetTerrain(int x, int y, float value) {
    if (!Ring(x, y)) At(x, y).terrain = value;
}
void field::AddTerrain(int x, int y, float value) {
    if (!Ring(x, y)) At(x, y).terrain += value;
}
void field::AddWater(int x, int y, float value) {
    if (Ring(x, y)) return;
    float& w = At(x, y).water;
    w += value;
    if (w < 0) w = 0;
}
void field::SwitchCopy(field& source) {
    for (size_t i = 0; i < v.size(); ++i) {
        const float outflow = v[i].outflow;
        v[i] = source.v[i];
        v[i].outflow = outflow;
    }
}

// ---- cluster

void cluster::Generate(const std::vector<float>& heights, int columns, int rows) {
    fields[0].Allocate(columns, rows);
    fields[1].Allocate(columns, rows);
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
    // Grid points at whole positions, then the quads' centres between them.
    for (int v = 0; v < n; ++v) {
        const bool centre = v >= size_x * size_y;
        const int k = centre ? v - size_x * size_y : v, row_length = centre ? quads_x : size_x;
        for (int block : {buffers.terrain_pos_offset, buffers.water_pos_offset}) {
            buffers.vertex_data[block + 3 * v] = float(k % row_length) + (centre ? 0.5f : 0.0f);
            buffers.vertex_data[block + 3 * v + 1] = float(k / row_length) + (centre ? 0.5f : 0.0f);
        }
    }
    for (int r = 0; r < size_y; ++r)
        for (int c = 0; c < size_x; ++c) {
            vertex& p = read_field->At(c + 1, r + 1);
            p.terrain = heights[size_t(r) * columns + c];
            p.water = kFloodLevel - p.terrain;
            if (p.water < 0) p.water = 0;
        }
    write_field->SwitchCopy(*read_field);
}

void cluster::Step(const simulation_settings& s) {
    if (!s.stop_rain && !s.stop_water) RainPass(s);
    if (!s.stop_water) FlowPass(s);
    if (!s.stop_erosion) SlopePass();
}

void cluster::RainPass(const simulation_settings& s) {
    field& W = *write_field;
    for (int y = 1; y <= W.height - 2; ++y)
        for (int x = 1; x <= W.width - 2; ++x) {
            if (s.rain_type == 1)
                W.AddWater(x, y, s.rain_multiplier * s.timescale);
            else if (s.rain_type == 2)
                W.AddWater(x, y, W.At(x, y).terrain * s.rain_multiplier * s.timescale);
        }
}

void cluster::FlowPass(const simulation_settings& s) {
    field& R = *read_field;
    field& W = *write_field;
    // Phase 1: accelerate the flows by the surface drops and limit them to the water held.
    for (int y = 1; y <= R.height - 2; ++y)
        for (int x = 1; x <= R.width - 2; ++x) {
            vertex& P = R.At(x, y);
            const float h = R.Surface(x, y, s);
            for (int i = 0; i < 8; ++i) {
                P.flow[i] +=
                    (h - R.Surface(x + dx(i), y + dy(i), s)) * s.timescale * kFlowAcceleration;
                if (P.flow[i] < 0) P.flow[i] = 0;
            }
            const float k = std::clamp(P.water * kDepthToDamping - KR::RandomFloat(0, s.randomness),
                                       0.0f, kDampingCeiling);
            const float T = std::accumulate(P.flow, P.flow + 8, 0.0f);
            float f = T * k;
            if (!(f < P.water * kDampingCeiling)) f = P.water * kDampingCeiling;
            if (T > 0) f = f / T;
            const float scale = k * f;
            vertex& out = W.At(x, y);
            out.outflow = 0;
            for (int i = 0; i < 8; ++i) {
                P.flow[i] *= scale;
                out.flow[i] = P.flow[i];
                out.outflow += out.flow[i];
            }
        }
    // Phase 2: move the water along the scaled flows, carrying momentum into the receiver.
    for (int y = 1; y <= R.height - 2; ++y)
        for (int x = 1; x <= R.width - 2; ++x) {
            const vertex& source = R.At(x, y);
            for (int i = 0; i < 8; ++i) {
                float q = source.flow[i] * s.timescale;
                if (i >= kFirstDiagonal) q *= kDiagonalTransport;
                if (q <= 0) continue;
                const int nx = x + dx(i), ny = y + dy(i);
                W.AddWater(nx, ny, q);
                W.AddWater(x, y, 0 - q);
                if (W.Ring(nx, ny)) continue;
                vertex& n = W.At(nx, ny);
                const float t = q / n.water;
                n.flow[i] = (1 - t) * n.flow[i] + W.At(x, y).flow[i] * t;
                const int j = kDirections[i].opposite;
                n.flow[j] = (1 - t) * n.flow[j] - q * t * kBackFlowBraking;
                if (n.flow[j] < 0) n.flow[j] = 0;
            }
        }
}

void cluster::SlopePass() {
    field& R = *read_field;
    field& W = *write_field;
    for (int x = 1; x <= R.width - 2; ++x)
        for (int y = 1; y <= R.height - 2; ++y) {
            float h[9], d[9];
            for (int i = 0; i < 9; ++i) {
                h[i] = R.Terrain(x + dx(i), y + dy(i));
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
            const float D = std::accumulate(d, d + 9, 0.0f) / float(2 * count);
            W.AddTerrain(x, y, 0 - D);
            for (int i = 0; i < 8; ++i)
                W.AddTerrain(x + dx(i), y + dy(i), d[i] / float(2 * count));
        }
}

void cluster::SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max) {
    std::swap(read_field, write_field);
    write_field->SwitchCopy(*read_field);
    RefreshBuffers(s, z_min, z_max);
}

void cluster::RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max) {
    field& F = *read_field;
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
            const float t = F.At(c + 1, r + 1).terrain;
            const float w = F.At(c + 1, r + 1).water;
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
            float sum[2] = {0, 0};  // of the axes, of the diagonals
            for (int i = 0; i < 8; ++i)
                sum[i >= kFirstDiagonal] += F.Water(x + dx(i), y + dy(i));
            depth[r * size_x + c] = kDepthShare * F.At(x, y).water + kDepthShare * (sum[0] / 4) +
                                    kDepthShare * (sum[1] / 4);
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
                for (int k = 0; k < 3; ++k)  // towards upright
                    n[k] = e * (k == 2 ? 1.0f : 0.0f) + (1 - e) * n[k];
            }
            std::copy(n, n + 3, wnorm + 3 * v);
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

// ---- commands

namespace {
template <class Visit>
void ForInterior(field& f, Visit visit) {
    for (int x = 1; x <= f.width - 2; ++x)
        for (int y = 1; y <= f.height - 2; ++y)
            visit(x, y);
}
// Visits the grid points closer to the view position than the radius, with their distance.
template <class Visit>
void ForBrush(field& f, float view_x, float view_y, float radius, Visit visit) {
    const float cx = view_x + 1, cy = view_y + 1;
    ForInterior(f, [&](int x, int y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        if (d < radius) visit(x, y, d);
    });
}
}  // namespace

void ResetWater(cluster& c) {
    for (field* f : {c.write_field, c.read_field})
        ForInterior(*f, [f](int x, int y) {
            f->At(x, y).water = 0;
            std::fill_n(f->At(x, y).flow, 8, 0.0f);
        });
}

void ResetMovement(cluster& c) {
    for (field* f : {c.write_field, c.read_field})
        ForInterior(*f, [f](int x, int y) { std::fill_n(f->At(x, y).flow, 8, 0.0f); });
}

void Tsunami(cluster& c, float view_x, float view_y, float radius) {
    field& W = *c.write_field;
    ForBrush(W, view_x, view_y, radius,
             [&](int x, int y, float d) { W.AddWater(x, y, radius - d); });
}

void SmoothTerrain(cluster& c) {
    field& R = *c.read_field;
    field& W = *c.write_field;
    ForInterior(W, [&](int x, int y) {
        float sum = 0;
        for (int j = y - 1; j <= y + 1; ++j)
            for (int i = x - 1; i <= x + 1; ++i)
                sum += R.Terrain(i, j);
        W.SetTerrain(x, y, sum / 9.0f);
    });
}

void SmoothBrush(cluster& c, float view_x, float view_y, float radius) {
    field& R = *c.read_field;
    field& W = *c.write_field;
    ForBrush(W, view_x, view_y, radius, [&](int x, int y, float d) {
        const float s = 1 - d / radius;
        float neighbours = 0;
        for (int i = 0; i < 8; ++i)
            neighbours += R.Terrain(x + dx(i), y + dy(i));
        W.SetTerrain(x, y, R.Terrain(x, y) * (1 - s) + neighbours * (s / 8));
    });
}

void RaiseBrush(cluster& c, float view_x, float view_y, float radius, float amount) {
    field& W = *c.write_field;
    ForBrush(W, view_x, view_y, radius, [&](int x, int y, float d) {
        W.AddTerrain(x, y, float((std::cos(d / radius * M_PI) + 1) / 2) * amount);
    });
}

}  // namespace QorTest::reference
