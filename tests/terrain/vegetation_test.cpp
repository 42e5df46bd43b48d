// Where the trees stand: in their zone on dry ground only, and at height 0 beyond the last quad.

#include "terrain/vegetation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "terrain/cluster.h"

namespace {

constexpr int kSize = 8;

TEST(Vegetation, TreesNeedDryGroundAndAFootBeyondTheLastQuadStandsAtZero) {
    cluster c;  // level dry ground at 12: only the noise decides the zone
    const std::vector<float> heights(kSize * kSize, 12.0f);
    c.SetExtent(KR::Vector2(0, 0), KR::Vector2(kSize, kSize), kSize, kSize);
    c.GenerateTerrain(heights.data(), kSize);
    const vegetation_noise noise;
    int grown = 0;
    for (int j = 1; j < kSize - 1; ++j)
        for (int i = 1; i < kSize - 1; ++i) {
            const vegetation_tree tree = PlaceTree(noise, c, i, j);
            const float zone = 12.0f / 5 + noise(i, j);
            EXPECT_EQ(tree.grows, zone >= 1.5f && zone <= 2.5f) << i << "," << j;
            if (!tree.grows) continue;
            ++grown;
            // Water up to 0.03 at the point the tree reads still lets it grow; more does not.
            const int wx = int(std::floor(tree.pivot.x)) + 1;
            const int wy = int(std::floor(tree.pivot.y)) + 1;
            c.read_field->SetWater(wx, wy, 0.03f);
            EXPECT_TRUE(PlaceTree(noise, c, i, j).grows);
            c.read_field->SetWater(wx, wy, 0.031f);
            EXPECT_FALSE(PlaceTree(noise, c, i, j).grows);
            c.read_field->SetWater(wx, wy, 0.0f);
        }
    EXPECT_GT(grown, 0);

    // A foot jittered beyond the last quad stands at height 0, below the tree zone.
    int beyond = 0;
    for (int j = 0; j < kSize; ++j) {
        const vegetation_tree tree = PlaceTree(noise, c, kSize - 1, j);
        if (tree.foot.x < float(kSize - 1)) continue;
        ++beyond;
        EXPECT_EQ(tree.ground, 0.0f);
        EXPECT_FALSE(tree.grows);
    }
    EXPECT_GT(beyond, 0);
}

}  // namespace
