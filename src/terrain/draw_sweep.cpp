// Refilling the draw buffers from the read field, one band of grid rows per thread. For every
// row the sweep works out the drawn heights, the normals, the smoothed depth and the centre
// vertices of the quads above it in short working rows (one per component, so the loops
// vectorise) while the field rows are in cache, and streams the finished rows into the draw
// buffers. A band also works out the rows just outside it that its own rows need, so the
// threads share nothing but the field they read.

#include "terrain/draw_sweep.h"

#include <algorithm>
#include <type_traits>

#include "terrain/cluster.h"
#include "terrain/directions.h"
#include "terrain/draw_rows.h"
#include "terrain/simd.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_timing.h"

namespace {

using simd::Load;
using simd::Select;
using simd::Splat;
using simd::Store;

// The working rows of one thread, each one field row (stride) long.
enum working_row : int {
    kWeights = 0,             // [3] min(depth / m, 1) of field rows, by field row % 3
    kSurface = kWeights + 3,  // [3] drawn water height of grid rows, by row % 3
    kNormals = kSurface + 3,  // [2][5] terrain x, y and water x, y, z, by row % 2
    kDepth = kNormals + 10,   // [2] smoothed depth of grid rows, by row % 2
    kCentres = kDepth + 2,    // [8] terrain z, water z, depth, terrain x, y, water x, y, z
    kColumnX = kCentres + 8,  // float(column)
    kCentreX = kColumnX + 1,  // column + 0.5
    kOnes = kCentreX + 1,     // 1.0
    kRowY = kOnes + 1,        // the row's y
    kWorkingRows = kRowY + 1
};

struct refresh {
    const vertex_2d_field& F;
    const uint8_t* ground_changed;  // by grid row; all rows changed when null
    float m;                        // water_min_depth
    float* tpos;
    float* tnorm;
    float* depth;
    float* wpos;
    float* wnorm;
    int sx, sy, qx, qy;
    step_timing* timing;

    refresh(cluster& c, const simulation_settings& s, const uint8_t* ground_changed,
            step_timing* timing)
        : F(*c.read_field),
          ground_changed(ground_changed),
          m(s.water_min_depth),
          tpos(c.vertex_data.data() + c.terrain_pos_offset),
          tnorm(c.vertex_data.data() + c.terrain_normal_offset),
          depth(c.vertex_data.data() + c.depth_offset),
          wpos(c.vertex_data.data() + c.water_pos_offset),
          wnorm(c.vertex_data.data() + c.water_normal_offset),
          sx(c.size_x),
          sy(c.size_y),
          qx(c.quads_x),
          qy(c.quads_y),
          timing(timing) {}

    // One thread's sweep over grid rows [r0, r1) and the quad rows among them.
    // Vectors of V: eight lanes where the sweep is built for AVX2, four on any x86-64.
    template <class V>
    struct band {
        const refresh& job;
        float* rows;
        size_t row_floats;
        int thread;
        float z_min, z_max;
        int weights_of[3] = {-1, -1, -1};

        float* Row(int index) const { return rows + size_t(index) * row_floats; }
        float* Surface(int r) const { return Row(kSurface + r % 3); }
        float* Normal(int r, int component) const {
            return Row(kNormals + (r % 2) * 5 + component);
        }
        float* Depth(int r) const { return Row(kDepth + r % 2); }
        const float* Ground(int r) const { return job.F.Terrain() + job.F.Index(1, r + 1); }

        void Add(step_timing::part p, uint64_t since) const {
            if (job.timing) job.timing->Add(thread, p, step_timing::Now() - since);
        }
        uint64_t Now() const { return job.timing ? step_timing::Now() : 0; }

        // Whether the drawn ground of corner row n, which its normals take from the rows on
        // either side, or of quad row q must be written.
        bool GroundChanged(int n) const {
            if (!job.ground_changed) return true;
            for (int r = std::max(n - 1, 0); r <= std::min(n + 1, job.sy - 1); ++r)
                if (job.ground_changed[r]) return true;
            return false;
        }
        bool CentreGroundChanged(int q) const { return GroundChanged(q) || GroundChanged(q + 1); }

        void Run(int r0, int r1) {
            const int sx = job.sx, sy = job.sy;
            for (int col = 0; col < sx; ++col) {
                Row(kColumnX)[col] = float(col);
                Row(kCentreX)[col] = col + 0.5f;
                Row(kOnes)[col] = 1.0f;
            }
            // Drawn heights from one row above the band to two below it: the normals of the
            // row after the band, which its last quads need, look one row further.
            const int surface_end = std::min(r1 + 2, sy), normals_end = std::min(r1 + 1, sy);
            for (int k = std::max(r0 - 1, 0); k < surface_end; ++k) {
                SurfaceRow(k, k >= r0 && k < r1);
                // A row's normals need the drawn heights of the rows on both sides.
                for (int n = k - 1; n <= k; ++n) {
                    if (n == k && k != sy - 1) continue;
                    if (n < r0 || n >= normals_end) continue;
                    CornerRow(n, n < r1);
                    const int q = n - 1;
                    if (q >= r0 && q < std::min(r1, job.qy)) CentreRow(q);
                }
            }
            FinishStreaming();
        }

        // The drawn water height of grid row k: shallow water sinks below the surface, then
        // leans towards lower, wetter neighbours (inner points only).
        void SurfaceRow(int k, bool own) {
            const uint64_t start = Now();
            const vertex_2d_field& F = job.F;
            const float m = job.m;
            const size_t row = F.Index(1, k + 1);
            const float* t = F.Terrain() + row;
            const float* w = F.Water() + row;
            float* surface = Surface(k);
            V lo = Splat<V>(z_min), hi = Splat<V>(z_max);  // the range, lane by lane
            simd::ForColumns<V>(0, job.sx, [&](auto lanes, int col) {
                using T = decltype(lanes);
                const T tc = Load<T>(t + col), wc = Load<T>(w + col);
                const T plain = tc + wc;
                const T sunk = tc + wc + (wc / Splat<T>(m) - Splat<T>(1.0f));
                const T drawn = Select(wc < Splat<T>(m), sunk, plain);
                Store(surface + col, drawn);
                if constexpr (std::is_same_v<T, V>) {
                    lo = Select(tc < lo, tc, lo);
                    hi = Select(drawn > hi, drawn, hi);
                } else {
                    if (tc < z_min) z_min = tc;
                    if (drawn > z_max) z_max = drawn;
                }
            });
            if (own) {
                // The range takes the heights before the blending below.
                for (int lane = 0; lane < simd::Lanes<V>; ++lane) {
                    if (lo[lane] < z_min) z_min = lo[lane];
                    if (hi[lane] > z_max) z_max = hi[lane];
                }
            }
            if (k >= 1 && k < job.qy) ShallowRow(k);
            Add(step_timing::kHeights, start);
        }

        const float* Weights(int field_row) {
            float* g = Row(kWeights + field_row % 3);
            if (weights_of[field_row % 3] != field_row) {
                const float* w = job.F.Water() + job.F.Index(0, field_row);
                const float m = job.m;
                for (int x = 0; x < job.F.Width(); ++x)
                    g[x] = std::min(w[x] / m, 1.0f);
                weights_of[field_row % 3] = field_row;
            }
            return g;
        }

        // Each neighbour's weight is min(depth / m, 1); the sums add zero for higher
        // neighbours instead of branching, which gives the same bits (a sum that starts at +0
        // never becomes -0). Every point is worked out; only the shallow ones keep the result.
        void ShallowRow(int r) {
            const vertex_2d_field& F = job.F;
            const ptrdiff_t stride = F.Stride();
            const float m = job.m;
            const size_t row = F.Index(1, r + 1);
            const float* terrain = F.Terrain() + row;
            const float* water = F.Water() + row;
            float* surface = Surface(r);
            const float* g_by_dy[3] = {Weights(r) + 1, Weights(r + 1) + 1, Weights(r + 2) + 1};
            simd::ForColumns<V>(1, job.qx, [&](auto lanes, int col) {
                using T = decltype(lanes);
                const T zero{}, one = Splat<T>(1.0f), depth = Splat<T>(m);
                const T w = Load<T>(water + col), t = Load<T>(terrain + col);
                const T a = w / depth;
                T S = zero, G = zero, higher = zero;
                for (int i = 0; i < 8; ++i) {
                    const ptrdiff_t offset = directions::dy[i] * stride + directions::dx[i];
                    const T dn = Load<T>(water + col + offset),
                            tn = Load<T>(terrain + col + offset);
                    const T g = Load<T>(g_by_dy[1 + directions::dy[i]] + col + directions::dx[i]);
                    const auto lower = t > tn;
                    S = S + Select(lower, (dn + tn) * g, zero);
                    G = G + Select(lower, g, zero);
                    higher = higher + Select(lower, zero, one);
                }
                // In a hollow (or on flat ground) a film of water shows at its true surface;
                // less than a tenth of the minimum depth sinks below the ground like dry land.
                // Testing the surface height instead of the depth would leave every dry
                // plateau above 0.005 covered by water drawn level with the ground.
                const T film = t + w;
                const T hollow =
                    Select(w < Splat<T>(m / 10), Splat<T>(1 / (m * 10)) * w - one + film, film);
                const T blended = (t + w) * a + (S / G) * (one - a);
                const T kept = Load<T>(surface + col);
                const T leaned =
                    Select(G > zero, blended, Select(higher == Splat<T>(8.0f), hollow, kept));
                Store(surface + col, Select(w < depth, leaned, kept));
            });
        }

        // Normals of grid row n, one-sided on the outermost rows and columns; its smoothed
        // depth; then the row goes out (when it is the band's own).
        void CornerRow(int n, bool own) {
            uint64_t start = Now();
            const int sx = job.sx;
            const int rd = n > 0 ? n - 1 : n, ru = n < job.sy - 1 ? n + 1 : n;
            const float* t = Ground(n);
            const float* t_down = Ground(rd);
            const float* t_up = Ground(ru);
            const float* s = Surface(n);
            const float* s_down = Surface(rd);
            const float* s_up = Surface(ru);
            float* tnx = Normal(n, 0);
            float* tny = Normal(n, 1);
            float* wnx = Normal(n, 2);
            float* wny = Normal(n, 3);
            float* wnz = Normal(n, 4);
            auto normal = [&](auto lanes, int col, int cl, int cr) {
                using T = decltype(lanes);
                const T zero{}, one = Splat<T>(1.0f);
                Store(tnx + col, Load<T>(t + cl) - Load<T>(t + cr));
                Store(tny + col, Load<T>(t_down + col) - Load<T>(t_up + col));
                const T n0 = Load<T>(s + cl) - Load<T>(s + cr);
                const T n1 = Load<T>(s_down + col) - Load<T>(s_up + col);
                const T n2 = one;
                // Water drawn below the ground turns its normal upwards.
                const T ground = Load<T>(t + col), drawn = Load<T>(s + col);
                const T steep = (ground - drawn) * Splat<T>(10.0f);
                const T e = Select(one < steep, one, steep);
                const auto below = drawn < ground;
                Store(wnx + col, Select(below, e * zero + (one - e) * n0, n0));
                Store(wny + col, Select(below, e * zero + (one - e) * n1, n1));
                Store(wnz + col, Select(below, e * one + (one - e) * n2, n2));
            };
            normal(0.0f, 0, 0, std::min(1, sx - 1));
            simd::ForColumns<V>(1, sx - 1,
                                [&](auto lanes, int col) { normal(lanes, col, col - 1, col + 1); });
            if (sx > 1) normal(0.0f, sx - 1, sx - 2, sx - 1);
            Add(step_timing::kNormals, start);

            start = Now();
            SmoothedDepth(job.F.Water() + job.F.Index(1, n + 1), job.F.Stride(), Depth(n), sx);
            Add(step_timing::kDepth, start);
            if (!own) return;

            start = Now();
            const size_t v = size_t(n) * sx;
            float* y = Row(kRowY);
            std::fill(y, y + sx, float(n));
            if (GroundChanged(n)) {
                StreamTriples(Row(kColumnX), y, t, sx, job.tpos + 3 * v);
                StreamTriples(tnx, tny, Row(kOnes), sx, job.tnorm + 3 * v);
            }
            StreamFloats(Depth(n), sx, job.depth + v);
            StreamTriples(Row(kColumnX), y, s, sx, job.wpos + 3 * v);
            StreamTriples(wnx, wny, wnz, sx, job.wnorm + 3 * v);
            Add(step_timing::kHeights, start);
        }

        // Smoothed depth of one row: the vertex, the mean of its axis neighbours and the mean
        // of its diagonal neighbours, a third each (the ring holds no water).
        static void SmoothedDepth(const float* __restrict w, int stride, float* __restrict out,
                                  int n) {
            const float* __restrict up = w - stride;
            const float* __restrict down = w + stride;
            for (int c = 0; c < n; ++c) {
                const float axis = 0.0f + w[c + 1] + w[c - 1] + down[c] + up[c];
                const float diagonal = 0.0f + down[c + 1] + up[c - 1] + up[c + 1] + down[c - 1];
                out[c] = 0.33f * w[c] + 0.33f * (axis / 4) + 0.33f * (diagonal / 4);
            }
        }

        // Centre vertices of quad row q: the lower diagonal and the mean of the corners.
        void CentreRow(int q) {
            const uint64_t start = Now();
            const int qx = job.qx;
            auto lower = [](float za, float zb, float zd, float ze) {
                const float bd = zb + zd, ae = za + ze;
                return 0.5f * (ae < bd ? ae : bd);
            };
            auto mean = [](const float* __restrict a, const float* __restrict d,
                           float* __restrict out, int count) {
                for (int c = 0; c < count; ++c)
                    out[c] = 0.25f * (a[c] + a[c + 1] + d[c] + d[c + 1]);
            };
            const float* __restrict ta = Ground(q);
            const float* __restrict td = Ground(q + 1);
            const float* __restrict sa = Surface(q);
            const float* __restrict sd = Surface(q + 1);
            float* __restrict tz = Row(kCentres);
            float* __restrict wz = Row(kCentres + 1);
            const bool ground = CentreGroundChanged(q);
            if (ground) {
                for (int c = 0; c < qx; ++c)
                    tz[c] = lower(ta[c], ta[c + 1], td[c], td[c + 1]);
            }
            for (int c = 0; c < qx; ++c)
                wz[c] = lower(sa[c], sa[c + 1], sd[c], sd[c + 1]);
            mean(Depth(q), Depth(q + 1), Row(kCentres + 2), qx);
            for (int k = ground ? 0 : 2; k < 5; ++k)
                mean(Normal(q, k), Normal(q + 1, k), Row(kCentres + 3 + k), qx);
            Add(step_timing::kExtras, start);

            const uint64_t out_start = Now();
            const size_t v = size_t(job.sx) * job.sy + size_t(q) * qx;
            float* y = Row(kRowY);
            std::fill(y, y + qx, q + 0.5f);
            // The terrain normal's z is 1 at every corner, and so is their mean.
            if (ground) {
                StreamTriples(Row(kCentreX), y, tz, qx, job.tpos + 3 * v);
                StreamTriples(Row(kCentres + 3), Row(kCentres + 4), Row(kOnes), qx,
                              job.tnorm + 3 * v);
            }
            StreamFloats(Row(kCentres + 2), qx, job.depth + v);
            StreamTriples(Row(kCentreX), y, wz, qx, job.wpos + 3 * v);
            StreamTriples(Row(kCentres + 5), Row(kCentres + 6), Row(kCentres + 7), qx,
                          job.wnorm + 3 * v);
            Add(step_timing::kExtras, out_start);
        }
    };
};

// The sweep is built for processors with AVX2 and for any x86-64; both do the same IEEE
// operations in the same order.
__attribute__((target("avx2"), flatten)) void SweepAvx2(refresh::band<simd::vf8>& b, int r0,
                                                        int r1) {
    b.Run(r0, r1);
}
__attribute__((flatten)) void SweepPlain(refresh::band<simd::vf4>& b, int r0, int r1) {
    b.Run(r0, r1);
}

}  // namespace

size_t DrawSweepFloats(int stride) {
    return size_t(stride) * kWorkingRows;
}

std::pair<float, float> SweepDrawRows(cluster& c, const simulation_settings& s,
                                      const uint8_t* ground_changed, step_timing* timing,
                                      float* rows, int thread, float z_min, float z_max, int r0,
                                      int r1) {
    const refresh job(c, s, ground_changed, timing);
    const size_t row_floats = size_t(c.read_field->Stride());
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        refresh::band<simd::vf8> b{job, rows, row_floats, thread, z_min, z_max};
        SweepAvx2(b, r0, r1);
        return {b.z_min, b.z_max};
    }
    refresh::band<simd::vf4> b{job, rows, row_floats, thread, z_min, z_max};
    SweepPlain(b, r0, r1);
    return {b.z_min, b.z_max};
}
