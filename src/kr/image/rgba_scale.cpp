#include "kr/image/rgba_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace KR {
namespace {

// A source pixel index along one axis and how much of it a target pixel's box covers.
struct tap {
    int index;
    double weight;
};
using span = std::vector<tap>;

std::vector<span> AxisSpans(int in, int out) {
    std::vector<span> spans(out);
    const double scale = double(in) / out;
    const double half = in > out ? scale / 2 : 0.5;
    for (int t = 0; t < out; ++t) {
        const double centre = scale * (t + 0.5);
        const double lo = std::max(0.0, centre - half), hi = std::min(double(in), centre + half);
        span& s = spans[t];
        for (int p = std::max(0, int(std::floor(lo))); p < in && p < hi; ++p) {
            const double w = std::min(hi, p + 1.0) - std::max(lo, double(p));
            if (w > 0) s.push_back({p, w});
        }
        // A box clipped to nothing (only at a rounding edge) takes the nearest pixel.
        if (s.empty()) s.push_back({std::clamp(int(centre), 0, in - 1), 1.0});
    }
    return spans;
}

}  // namespace

void ScaleImageRGBA(const uint8_t* in, int in_w, int in_h, uint8_t* out, int out_w, int out_h) {
    const std::vector<span> xs = AxisSpans(in_w, out_w), ys = AxisSpans(in_h, out_h);
    for (int ty = 0; ty < out_h; ++ty) {
        const span& sy = ys[ty];
        for (int tx = 0; tx < out_w; ++tx) {
            const span& sx = xs[tx];
            double totals[4] = {0, 0, 0, 0}, area = 0;
            for (const tap& b : sy) {
                const uint8_t* row = in + size_t(b.index) * in_w * 4;
                for (const tap& a : sx) {
                    const double w = b.weight * a.weight;
                    const uint8_t* p = row + size_t(a.index) * 4;
                    for (int k = 0; k < 4; ++k)
                        totals[k] += p[k] * w;
                    area += w;
                }
            }
            uint8_t* q = out + (size_t(ty) * out_w + tx) * 4;
            for (int k = 0; k < 4; ++k)
                q[k] = uint8_t(std::min(255.0, std::floor(totals[k] / area + 0.5)));
        }
    }
}

}  // namespace KR
