// Faulting: bands of raised ground across the grid, each a bundle of Bresenham lines between
// two points on a rectangle three times the grid's size around it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "kr/base/random.h"
#include "terrain/terrain.h"

namespace {

constexpr float kPi = 3.1415927f;

int Truncated(float a, float b) {
    return int(KR::RandomFloat(a, b));
}

// A random point on one side of the rectangle (-W, -H) ... (2W, 2H).
void SidePoint(int side, int W, int H, int& x, int& y) {
    switch (side) {
        case 0:
            y = -H;
            x = Truncated(float(-W), float(2 * W));
            break;
        case 1:
            x = 2 * W;
            y = Truncated(float(-H), float(2 * H));
            break;
        case 2:
            y = 2 * H;
            x = Truncated(float(-W), float(2 * W));
            break;
        default:
            x = -W;
            y = Truncated(float(-H), float(2 * H));
            break;
    }
}

// a / b rounded down, for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Adds inc along the Bresenham walk of dx steps from (x0, y0) (with steep, x is the row and
// y the column), on the cells inside the W x H grid; the end point is not raised. Most of a
// walk lies outside the grid, so it starts at its first step inside: the error term stays in
// [2dy - 2dx, 2dy), which fixes how many y steps the steps before made.
void RaiseLine(float* grid, int W, int H, bool steep, int x0, int y0, int dx, int dy, int xstep,
               int ystep, float inc) {
    const int limit = steep ? H : W, other = steep ? W : H;
    int first, end;
    if (xstep > 0) {
        first = std::max(0, -x0);
        end = std::min(dx, limit - x0);
    } else {
        first = std::max(0, x0 - limit + 1);
        end = std::min(dx, x0 + 1);
    }
    if (first >= end) return;
    const int64_t s = int64_t(2) * dy - dx + int64_t(2) * first * dy;
    const int64_t k = FloorDiv(s - int64_t(2) * dy, int64_t(2) * dx) + 1;
    int64_t e = s - int64_t(2) * dx * k;
    int x = x0 + first * xstep;
    int y = y0 + int(ystep * k);
    for (int n = first; n < end; ++n) {
        if (y >= 0 && y < other) grid[steep ? size_t(x) * W + y : size_t(y) * W + x] += inc;
        x += xstep;
        if (e < 0) {
            e += 2 * dy;
        } else {
            e += 2 * (dy - dx);
            y += ystep;
        }
    }
}

}  // namespace

int terrain::GenerateTerrainFaulting(terrain_generation_info& info) {
    const int W = info.x, H = info.y;
    float* const grid = info.grid.get();
    std::fill(grid, grid + info.Cells(), 0.0f);
    const float widest = std::sqrt(float(W * W + H * H)) / 2;
    for (int fault = 0; fault < info.detail; ++fault) {
        // A first side of exactly 4 (one draw in 32768) counts as side 0, which keeps the
        // start on the rectangle.
        const int s1 = Truncated(0, 4) % 4;
        int x1, y1, x2, y2;
        SidePoint(s1, W, H, x1, y1);
        const int s2 = (Truncated(1, 4) + s1) % 4;
        SidePoint(s2, W, H, x2, y2);
        const int w = Truncated(3, widest);
        const float a = 1.0f / KR::RandomFloat(0.1f, 1.0f);

        y1 -= w / 2;
        y2 -= w / 2;
        for (int k = -(w / 2); k <= w / 2; ++k) {
            const float inc = (std::cos(float(k) / float(w) * kPi * 2) + 1) * a;
            int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
            // The exchange stays on the endpoints for the band's following lines.
            const bool steep = dy > dx;
            if (steep) {
                std::swap(x1, y1);
                std::swap(x2, y2);
                std::swap(dx, dy);
            }
            const int ystep = y1 < y2 ? 1 : -1, xstep = x1 < x2 ? 1 : -1;
            RaiseLine(grid, W, H, steep, x1, y1, dx, dy, xstep, ystep, inc);
            // The band's next line lies one cell further along.
            y1 += xstep;
            y2 += xstep;
        }
    }
    return 1;
}
