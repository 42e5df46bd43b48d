#include "terrain/vegetation.h"

#include <algorithm>
#include <cmath>

#include "kr/math/math_constants.h"
#include "terrain/cluster.h"

vegetation_tree PlaceTree(const vegetation_noise& noise, const cluster& c, int i, int j) {
    const vertex_2d_field& field = *c.read_field;
    const float n = noise(i, j);
    const float jx = 0.5f * n, jy = 0.5f * noise(j, i);
    vegetation_tree tree;
    tree.foot = KR::Vector2(float(i) - jx, float(j) - jy);
    tree.pivot = KR::Vector2(float(i) + jx, float(j) + jy);

    // Grid point (x, y) is field position (x + 1, y + 1); the jitter reaches half a step past
    // the first row and column, where the border ring mirrors the edge.
    const float fx = std::floor(tree.foot.x), fy = std::floor(tree.foot.y);
    const int x = int(fx), y = int(fy);
    if (x < c.quads_x && y < c.quads_y) {
        const float u = tree.foot.x - fx, v = tree.foot.y - fy;
        const float t00 = field.GetTerrain(x + 1, y + 1), t10 = field.GetTerrain(x + 2, y + 1);
        const float t01 = field.GetTerrain(x + 1, y + 2), t11 = field.GetTerrain(x + 2, y + 2);
        tree.ground = (1 - u) * (1 - v) * t00 + u * (1 - v) * t10 + (1 - u) * v * t01 + u * v * t11;
    }

    // The water is read at a grid point: the ring outside holds none, and a tree jittered
    // past the first row or column would otherwise stand dry in a flooded cluster.
    const float zone = tree.ground / 5 + n;
    const int wx = std::clamp(int(std::floor(tree.pivot.x)), 0, c.size_x - 1);
    const int wy = std::clamp(int(std::floor(tree.pivot.y)), 0, c.size_y - 1);
    tree.grows =
        field.GetWater(wx + 1, wy + 1) <= kTreeMaxWaterDepth && zone >= 1.5f && zone <= 2.5f;
    if (!tree.grows) return tree;
    // Small on the shore, largest halfway up the zone.
    tree.size =
        std::sin(std::clamp(tree.ground - 5, 0.0f, 10.0f) / 10 * KR::kPi) * std::fabs(n) + 0.2f;
    return tree;
}

vegetation_billboard TreeBillboard(const vegetation_tree& tree, const KR::Vector4& target,
                                   float pitch_degrees) {
    // The side runs across the line from the target to the tree: (cos a, sin a) with
    // a = -atan(dx / dy), turned half round behind the target; the lean runs along the line.
    // Taken from the line itself, which stays defined where the tree stands on the target.
    const float dx = tree.pivot.x - target.x, dy = tree.pivot.y - target.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float cos_a = length > 0 ? dy / length : 1.0f;
    const float sin_a = length > 0 ? -dx / length : 0.0f;
    const float k = 1 - pitch_degrees / 90;
    const float f = tree.size;
    const float sx = 2 * cos_a * f, sy = 2 * sin_a * f;
    const float ux = -2 * sin_a * k * f, uy = 2 * cos_a * k * f;
    const float x = tree.foot.x, y = tree.foot.y, h = tree.ground, top = h + 15 * f;
    return {{KR::Vector4(x + sx, y + sy, h), KR::Vector4(x + sx + ux, y + sy + uy, top),
             KR::Vector4(x - sx + ux, y - sy + uy, top), KR::Vector4(x - sx, y - sy, h)}};
}
