// The hand-over of a finished step: swap the fields, copy the new state into the write field
// and refill the draw buffers from the read field. Runs between steps, never during one.

#include <algorithm>
#include <limits>

#include "terrain/cluster.h"
#include "terrain/directions.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_workers.h"

namespace {

struct refresh {
    cluster& c;
    const vertex_2d_field& F;
    float m;  // water_min_depth
    float* tpos;
    float* tnorm;
    float* depth;
    float* wpos;
    float* wnorm;
    int weights_ready_for = -2;  // the grid row whose neighbour weights are in the rolling rows

    refresh(cluster& c, const simulation_settings& s)
        : c(c),
          F(*c.read_field),
          m(s.water_min_depth),
          tpos(c.vertex_data.data() + c.terrain_pos_offset),
          tnorm(c.vertex_data.data() + c.terrain_normal_offset),
          depth(c.vertex_data.data() + c.depth_offset),
          wpos(c.vertex_data.data() + c.water_pos_offset),
          wnorm(c.vertex_data.data() + c.water_normal_offset) {}

    // Drawn heights, shallow-water blending and smoothed depth of grid rows [r0, r1).
    // weights holds three rows of the stride for the neighbours' wetness.
    void Heights(int r0, int r1, float& z_min, float& z_max, float* weights) {
        const int sx = c.size_x;
        const int stride = F.Stride();
        const float* terrain = F.Terrain();
        const float* water = F.Water();
        for (int r = r0; r < r1; ++r) {
            const size_t row = F.Index(1, r + 1);
            for (int col = 0; col < sx; ++col) {
                const size_t v = size_t(r) * sx + col;
                const float t = terrain[row + col];
                const float w = water[row + col];
                float W = t + w;
                if (w < m) W = t + w + (w / m - 1);
                tpos[3 * v + 2] = t;
                wpos[3 * v + 2] = W;
                if (t < z_min) z_min = t;
                if (W > z_max) z_max = W;
            }
            // Shallow water leans towards lower, wetter neighbours (inner points only). The
            // raw depth and ground of the neighbours are the field's own values.
            if (r >= 1 && r < c.quads_y) ShallowRow(r, weights);
            SmoothedDepth(water + row, stride, depth + size_t(r) * sx, sx);
        }
    }

    // Blends the drawn surface of the shallow points of grid row r towards their lower, wetter
    // neighbours. Each neighbour's weight min(depth / m, 1) is computed once per vertex into
    // rolling rows; the sums add zero for higher neighbours instead of branching, which gives
    // the same bits (a sum that starts at +0 never becomes -0).
    void ShallowRow(int r, float* weights) {
        const int sx = c.size_x, stride = F.Stride();
        const int width = F.Width();
        const float* terrain = F.Terrain();
        const float* water = F.Water();
        auto weight_row = [&](int field_row) { return weights + size_t(field_row % 3) * stride; };
        // Field rows r, r + 1 and r + 2 hold grid rows r - 1, r and r + 1.
        for (int field_row = r; field_row <= r + 2; ++field_row) {
            if (field_row != r + 2 && weights_ready_for == r - 1) continue;  // rolled over
            float* g = weight_row(field_row);
            const float* w = water + F.Index(0, field_row);
            for (int x = 0; x < width; ++x)
                g[x] = std::min(w[x] / m, 1.0f);
        }
        weights_ready_for = r;
        const size_t row = F.Index(1, r + 1);
        for (int col = 1; col < c.quads_x; ++col) {
            const size_t f = row + col;
            const float w = water[f];
            if (!(w < m)) continue;
            const float t = terrain[f];
            const float a = w / m;
            float S = 0, G = 0;
            int higher = 0;
            for (int i = 0; i < 8; ++i) {
                const ptrdiff_t offset = ptrdiff_t(directions::dy[i]) * stride + directions::dx[i];
                const float dn = water[f + offset], tn = terrain[f + offset];
                const float g = weight_row(r + 1 + directions::dy[i])[col + 1 + directions::dx[i]];
                const bool lower = t > tn;
                S += lower ? (dn + tn) * g : 0.0f;
                G += lower ? g : 0.0f;
                higher += lower ? 0 : 1;
            }
            float& W = wpos[3 * (size_t(r) * sx + col) + 2];
            if (G > 0) {
                W = (t + w) * a + (S / G) * (1 - a);
            } else if (higher == 8) {
                // In a hollow (or on flat ground) a film of water shows at its true surface;
                // less than a tenth of the minimum depth sinks below the ground like dry land.
                // Testing the surface height instead of the depth would leave every dry
                // plateau above 0.005 covered by water drawn level with the ground.
                W = t + w;
                if (w < m / 10) W = (1 / (m * 10)) * w - 1 + W;
            }
        }
    }

    // Smoothed depth of one row: the vertex, the mean of its axis neighbours and the mean of
    // its diagonal neighbours, a third each (the ring holds no water). Field and depth block
    // never overlap, so the compiler may vectorise.
    static void SmoothedDepth(const float* __restrict w, int stride, float* __restrict out, int n) {
        const float* __restrict up = w - stride;
        const float* __restrict down = w + stride;
        for (int c = 0; c < n; ++c) {
            const float axis = 0.0f + w[c + 1] + w[c - 1] + down[c] + up[c];
            const float diagonal = 0.0f + down[c + 1] + up[c - 1] + up[c + 1] + down[c - 1];
            out[c] = 0.33f * w[c] + 0.33f * (axis / 4) + 0.33f * (diagonal / 4);
        }
    }

    // Normals of grid rows [r0, r1), one-sided on the outermost rows and columns.
    void Normals(int r0, int r1) {
        const int sx = c.size_x, sy = c.size_y;
        for (int r = r0; r < r1; ++r) {
            const int rd = r > 0 ? r - 1 : r, ru = r < sy - 1 ? r + 1 : r;
            for (int col = 0; col < sx; ++col) {
                const int cl = col > 0 ? col - 1 : col, cr = col < sx - 1 ? col + 1 : col;
                const size_t v = size_t(r) * sx + col;
                auto z = [sx](const float* pos, int cc, int rr) {
                    return pos[3 * (size_t(rr) * sx + cc) + 2];
                };
                tnorm[3 * v] = z(tpos, cl, r) - z(tpos, cr, r);
                tnorm[3 * v + 1] = z(tpos, col, rd) - z(tpos, col, ru);
                tnorm[3 * v + 2] = 1.0f;
                float n0 = z(wpos, cl, r) - z(wpos, cr, r);
                float n1 = z(wpos, col, rd) - z(wpos, col, ru);
                float n2 = 1.0f;
                const float t = tpos[3 * v + 2], W = wpos[3 * v + 2];
                if (W < t) {  // water drawn below the ground turns its normal upwards
                    const float e = std::min((t - W) * 10.0f, 1.0f);
                    n0 = e * 0.0f + (1 - e) * n0;
                    n1 = e * 0.0f + (1 - e) * n1;
                    n2 = e * 1.0f + (1 - e) * n2;
                }
                wnorm[3 * v] = n0;
                wnorm[3 * v + 1] = n1;
                wnorm[3 * v + 2] = n2;
            }
        }
    }

    // Centre vertices of quad rows [r0, r1): the lower diagonal and the mean of the corners.
    void Centres(int r0, int r1) {
        const int sx = c.size_x, qx = c.quads_x;
        auto lower = [](float za, float zb, float zd, float ze) {
            const float bd = zb + zd, ae = za + ze;
            return 0.5f * (ae < bd ? ae : bd);
        };
        for (int r = r0; r < r1; ++r)
            for (int col = 0; col < qx; ++col) {
                const size_t a = size_t(r) * sx + col, b = a + 1, d = a + sx, e = d + 1;
                const size_t mv = size_t(sx) * c.size_y + size_t(r) * qx + col;
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
};

constexpr int kMaxParts = 64;

// Rows [first, last) of part `index` of `parts`.
int Split(int rows, int index, int parts) {
    return int(int64_t(rows) * index / parts);
}

}  // namespace

void cluster::SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max,
                             step_workers* workers) {
    std::swap(read_field, write_field);
    // The step left scratch values on the ring of what is now the read field.
    read_field->PrepareRing();
    const int rows = read_field->Height();
    if (!workers || workers->Count() == 1) {
        write_field->SwitchCopy(*read_field);
    } else {
        const int parts = workers->Count();
        workers->Run([&](int t) {
            write_field->SwitchCopyRows(*read_field, Split(rows, t, parts),
                                        Split(rows, t + 1, parts));
        });
        write_field->FinishCopy(*read_field);
    }
    RefreshBuffers(s, z_min, z_max, workers);
}

void cluster::RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max,
                             step_workers* workers) {
    if (vertex_data.empty() || !read_field->IsAllocated()) return;
    refresh job(*this, s);
    const int parts = workers ? std::min({workers->Count(), size_y, kMaxParts}) : 1;
    const size_t weight_floats = size_t(3) * size_t(read_field->Stride());
    if (refresh_rows.size() < weight_floats * size_t(std::max(parts, 1)))
        refresh_rows.assign(weight_floats * size_t(std::max(parts, 1)), 0.0f);
    if (parts <= 1) {
        job.Heights(0, size_y, z_min, z_max, refresh_rows.data());
        job.Normals(0, size_y);
        job.Centres(0, quads_y);
        return;
    }
    float mins[kMaxParts], maxs[kMaxParts];
    workers->Run([&](int t) {
        if (t >= parts) return;
        mins[t] = z_min;
        maxs[t] = z_max;
        refresh part = job;  // its own rolling rows
        part.Heights(Split(size_y, t, parts), Split(size_y, t + 1, parts), mins[t], maxs[t],
                     refresh_rows.data() + weight_floats * size_t(t));
    });
    for (int t = 0; t < parts; ++t) {
        if (mins[t] < z_min) z_min = mins[t];
        if (maxs[t] > z_max) z_max = maxs[t];
    }
    workers->Run([&](int t) {
        if (t < parts) job.Normals(Split(size_y, t, parts), Split(size_y, t + 1, parts));
    });
    workers->Run([&](int t) {
        if (t < parts) job.Centres(Split(quads_y, t, parts), Split(quads_y, t + 1, parts));
    });
}
