#include "terrain/terrain_shape.h"

#include <cmath>

#include "terrain/terrain_generation_info.h"

namespace {

constexpr double kPi = 3.1415927;

// cos rescaled to 0 ... 1.
double C(double a) {
    return (std::cos(a) + 1.0) / 2.0;
}

}  // namespace

float ShapeFactor(int shape, int i, int j, int columns, int rows) {
    const double u = double(i) / columns, v = double(j) / rows;
    switch (shape) {
        case kShapeMountain:
            return float(C(2 * kPi * u + kPi) * C(2 * kPi * v + kPi) + 0.5);
        case kShapeLake: {
            const int cx = columns / 2, cy = rows / 2;
            const double d = std::sqrt(double(i - cx) * (i - cx) + double(j - cy) * (j - cy));
            const double D = std::sqrt(double(cx) * cx + double(cy) * cy);
            return float(C(kPi * d / D + kPi) + 0.5);
        }
        case kShapeValley:
            return float(C(2 * kPi * u) + 0.5);
        case kShapeEdge:
            return float(C(2 * kPi * u + kPi) + 0.5);
        default:
            return 1.0f;
    }
}
