// The grid beyond the oracle: what the border ring means, the field operations, generation,
// the queries and the tick's motions.

#include <gtest/gtest.h>

#include <vector>

#include "kr/base/error.h"
#include "terrain/grid_fixtures.h"
#include "terrain/terrain.h"

namespace {

TEST(VertexField, BorderMirrorsGroundHoldsNoWaterAndSwallowsWrites) {
    cluster c;
    c.SetExtent(KR::Vector2(0, 0), KR::Vector2(1, 1), 1, 1);
    c.GenerateTerrain(std::vector<float>{3.5f}.data(), 1);
    vertex_2d_field& f = *c.read_field;
    ASSERT_EQ(std::make_pair(f.Width(), f.Height()), std::make_pair(3, 3));
    EXPECT_FLOAT_EQ(f.GetWater(1, 1), 10.0f - 3.5f);
    simulation_settings s;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            if (x == 1 && y == 1) continue;
            EXPECT_EQ(f.GetTerrain(x, y), 3.5f) << x << "," << y;  // every ring vertex mirrors
            EXPECT_EQ(f.GetWater(x, y), 0.0f);
            EXPECT_EQ(f.GetSurface(x, y, s), 3.5f);
            f.AddWater(x, y, 5.0f);
            f.SetTerrain(x, y, 99.0f);
            f.AddTerrain(x, y, 1.0f);
            // The passes read the raw planes, which the getters' mirroring would hide.
            EXPECT_EQ(f.Water()[f.Index(x, y)], 0.0f);
            EXPECT_EQ(f.Terrain()[f.Index(x, y)], 3.5f);
        }
    s.aquarium = 1;
    s.z_aquarium = 2.0f;  // below the ground it stands beside, and still the edge surface
    EXPECT_EQ(f.GetSurface(0, 1, s), 2.0f);
    EXPECT_EQ(f.GetSurface(1, 1, s), 10.0f);

    // Water is never negative, however much is taken.
    f.AddWater(1, 1, -100.0f);
    EXPECT_EQ(f.GetWater(1, 1), 0.0f);
    f.SetWater(1, 1, -1.0f);
    EXPECT_EQ(f.GetWater(1, 1), 0.0f);
}

TEST(VertexField, SwitchCopyRefusesMismatchedFieldsAndChangesNothing) {
    cluster a, b;
    vertex_2d_field &source = a.fields[0], target, other_owner;
    EXPECT_THROW(target.SwitchCopy(source), KR::Error);  // nothing allocated
    source.Allocate(&a, 4, 3);
    target.Allocate(&a, 5, 3);
    other_owner.Allocate(&b, 4, 3);
    target.SetTerrain(2, 2, 7.0f);
    try {
        target.SwitchCopy(source);
        FAIL();
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(), "vertex_2d_field::SwitchCopy: Inconpatible fields!");
    }
    EXPECT_THROW(other_owner.SwitchCopy(source), KR::Error);
    EXPECT_EQ(target.GetTerrain(2, 2), 7.0f);
}

TEST(Generation, FloodsToLevelTenAndBuildsTheFans) {
    terrain t;
    const std::vector<float> heights = {12.0f, 3.0f, 10.0f, -2.0f, 7.5f, 11.0f};
    t.BuildFromHeights(heights.data(), 3, 2);
    EXPECT_EQ(QorTest::Plane(*t.clusters[0].read_field, true),
              (std::vector<float>{0, 7, 0, 12, 2.5f, 0}));  // up to 10
    EXPECT_EQ(t.extent.x, 3.0f);
    EXPECT_EQ(t.ready, 1u);

    const cluster& c = t.clusters[0];
    ASSERT_EQ(c.indices.size(), 12u * 2);
    // Quad (1, 0): corners 1, 2, 4, 5 around centre vertex 6 + 1.
    const std::vector<uint32_t> fan(c.indices.begin() + 12, c.indices.end());
    EXPECT_EQ(fan, (std::vector<uint32_t>{1, 2, 7, 2, 5, 7, 5, 4, 7, 4, 1, 7}));
    EXPECT_EQ(c.vertex_data[c.terrain_pos_offset + 3 * 7], 1.5f);
    EXPECT_EQ(c.vertex_data[c.water_pos_offset + 3 * 7 + 1], 0.5f);
    // The box: 2 below the lowest ground, 2 above the highest drawn water (dry: 1 below ground).
    EXPECT_EQ(t.box_min, -2.0f - 2.0f);
    EXPECT_EQ(t.box_max, 12.0f - 1.0f + 2.0f);

    // Water on a dry plateau is drawn 1 below the ground too; a film in a hollow at its surface.
    std::vector<float> plateau(5 * 5, 15.0f);
    plateau[3 * 5 + 3] = 9.98f;  // a hollow holding 0.02 of water (less than the minimum 0.05)
    t.BuildFromHeights(plateau.data(), 5, 5);
    const cluster& p = t.clusters[0];
    const auto water_z = [&p](int x, int y) {
        return p.vertex_data[p.water_pos_offset + 3 * (y * p.size_x + x) + 2];
    };
    EXPECT_EQ(water_z(1, 1), 14.0f);
    EXPECT_FLOAT_EQ(water_z(3, 3), 10.0f);
}

// Rain by height over ground below 0 takes away water that is not there: none is left.
TEST(Step, HeightRainOnGroundBelowZeroLeavesNoNegativeWater) {
    QorTest::scene sc(6, 5, -3.0f);
    auto& [s, d, t] = sc;
    s.rain_type = 2;
    t.ResetWater();
    t.Simulate();
    t.UpdateBuffers();
    EXPECT_EQ(QorTest::Plane(*t.clusters[0].read_field, true), std::vector<float>(30, 0.0f));
}

TEST(Queries, SurfaceAndFlowAreBilinearAndFailBeyondTheLastQuad) {
    terrain t;
    std::vector<float> heights(10 * 8);
    for (size_t k = 0; k < heights.size(); ++k)
        heights[k] = 12.0f + k % 10;  // dry, rising in x
    t.BuildFromHeights(heights.data(), 10, 8);
    float z = 0;
    ASSERT_TRUE(t.GetSurfaceHeight(z, 2.25f, 3.5f));
    EXPECT_FLOAT_EQ(z, 14.25f);
    EXPECT_TRUE(t.GetSurfaceHeight(z, 8.5f, 2.0f));  // the last quad
    for (const auto& [x, y] : {std::pair{9.5f, 2.0f}, {2.0f, 7.0f}, {-0.5f, 2.0f}, {2.0f, 100.0f}})
        EXPECT_FALSE(t.GetSurfaceHeight(z, x, y)) << x << "," << y;  // past the last grid point
    EXPECT_EQ(t.GetFlowVelocity(9.5f, 1.0f).x, 0.0f);
    EXPECT_EQ(t.FindCluster(10.0f, 8.0f), &t.clusters[0]);
    EXPECT_EQ(t.FindCluster(10.5f, 8.0f), nullptr);

    // A flow along +x at (3, 3), the read field's, weighted by the water poured since.
    t.clusters[0].write_field->SetWater(4, 4, 3.0f);
    t.clusters[0].read_field->Flow(0)[t.clusters[0].read_field->Index(4, 4)] = 2.0f;
    const KR::Vector4 v = t.GetFlowVelocity(3.0f, 3.0f);
    EXPECT_FLOAT_EQ(v.x, 2.0f / (3.0f / 3.0f + 1.0f));
    EXPECT_EQ(v.y, 0.0f);
}

TEST(Tick, MotionsOfTheViewAndTheAnimation) {
    QorTest::scene sc(20, 20, 3.0f);
    auto& [s, d, t] = sc;
    s.auto_rotate = 1;
    t.view.x = 359.8f;
    t.view_pos = KR::Vector4(50.0f, -3.0f, 0, 0);
    t.Simulate();
    EXPECT_NEAR(t.view.x, 0.3f, 1e-4);
    EXPECT_EQ(std::make_pair(t.view_pos.x, t.view_pos.y),
              std::make_pair(20.0f - 1.01f, 0.01f));  // held on the terrain
    EXPECT_FLOAT_EQ(s.animation_time, 0.005f);

    // Published: the tick moves a copy the main thread takes over, wrapped into [0, 360), [0, 1).
    t.view.x = 359.8f;
    s.animation_time = 0.998f;
    t.SetPublishTickMotion(true);
    t.BeginTick();
    t.Simulate();
    EXPECT_EQ(t.view.x, 359.8f);
    t.view.x = 10.0f;  // the user turned meanwhile
    t.TakeTickMotion();
    EXPECT_NEAR(t.view.x, 10.5f, 1e-4);
    EXPECT_NEAR(s.animation_time, 0.003f, 1e-6);
}

}  // namespace
