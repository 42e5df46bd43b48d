// Scene objects on a small flooded terrain: the list, springs, balls, food and agents.

#include "terrain/scene_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "terrain/grid_fixtures.h"
#include "terrain/terrain.h"

namespace {

double fake_now = 0.0;
double FakeClock() {
    return fake_now;
}

// Flat ground at 5 under water up to 10, 40 x 30 vertices, and no rain: the surface stays at 10.
class SceneObjects : public ::testing::Test, public QorTest::scene {
  protected:
    SceneObjects() : QorTest::scene(40, 30, 5.0f) {
        fake_now = 100.0;
        t.clock = FakeClock;
        s.rain_type = 3;
    }
};

TEST_F(SceneObjects, NewObjectsGoFirstAndRemovalAndDeletionKeepTheRest) {
    t.view.x = 30;
    StaticObject* a = t.AddObjectStatic();
    Spring* b = t.AddSpring();
    Ball* c = t.AddBall();
    EXPECT_EQ((std::vector<scene_object*>{t.objects, c->next, b->next}),
              (std::vector<scene_object*>{c, b, a}));
    EXPECT_EQ(a->rotation.z, 60.0f);  // faces away from the viewer
    EXPECT_EQ(t.ObjectCount(), 3);

    StaticObject stranger;
    t.RemoveObject(&stranger);  // not in the list: nothing happens
    t.RemoveObject(nullptr);
    EXPECT_EQ(t.ObjectCount(), 3);
    t.RemoveObject(b);
    EXPECT_EQ(c->next, a);
    EXPECT_EQ(t.ObjectCount(), 2);

    // Objects float at their size above the surface after a tick.
    t.Simulate();
    EXPECT_FLOAT_EQ(a->position.z, 10.0f + 1.0f);

    // Deleting the selected agent leaves no trace.
    Agent* agent = t.AddAgent();
    t.AddAgent();
    t.selected = agent;
    t.DeleteSelected();
    EXPECT_EQ(t.selected, nullptr);
    EXPECT_EQ(t.agent_lib.Count(), 1);
    EXPECT_NE(t.agent_lib.First(), agent);
    EXPECT_EQ(t.ObjectCount(), 3);
    t.DeleteSelected();  // nothing selected: nothing happens
    EXPECT_EQ(t.ObjectCount(), 3);
}

// A spring pours strength x 100 x rain x timescale at its nearest grid point while water runs.
TEST_F(SceneObjects, SpringPoursAtItsGridPointOnlyWhileWaterRuns) {
    s.stop_erosion = s.stop_rain = s.aquarium = 1;
    s.z_aquarium = 100.0f;  // keep every drop on the terrain
    s.timescale = 0.5f;
    t.view_pos = KR::Vector4(10.6f, 7.7f, 0, 0);  // nearest to grid point (12, 9)
    t.AddSpring()->strength = 2.0f;
    const double before = QorTest::TotalWater(*t.clusters[0].read_field);
    auto step = [&](int stop_water) {
        s.stop_water = stop_water;
        t.Simulate();
        t.UpdateBuffers();
        return QorTest::TotalWater(*t.clusters[0].read_field) - before;
    };
    EXPECT_EQ(step(1), 0.0);
    EXPECT_NEAR(step(0), 100.0f * 2.0f * s.rain_multiplier * 0.5f, 1e-3);
    const vertex_2d_field& g = *t.clusters[0].read_field;
    for (int y = 1; y <= 30; ++y)
        for (int x = 1; x <= 40; ++x)
            if (x != 12 || y != 9) {
                ASSERT_LT(g.GetWater(x, y), g.GetWater(12, 9)) << x << "," << y;
            }

    Spring* outside = t.AddSpring();
    outside->position = KR::Vector4(-50, -50, 0, 0);
    t.Simulate();  // nothing to pour into, and nothing breaks
}

TEST_F(SceneObjects, BallBouncesWithNineTenthsOfItsSpeedThenRests) {
    Ball ball;
    ball.terrain = &t;
    ball.position = KR::Vector4(20, 15, 20.0f, 0);
    float last_bounce = 0.0f;
    int bounces = 0;
    for (int tick = 0; tick < 2000; ++tick) {
        const float falling = ball.velocity.z - 0.1f;  // speed on reaching the surface
        ball.Update();
        if (falling < 0 && ball.velocity.z > 0) {
            EXPECT_FLOAT_EQ(ball.velocity.z, -0.9f * falling);
            EXPECT_FLOAT_EQ(ball.position.z, 11.0f);
            last_bounce = ball.velocity.z;
            ++bounces;
        }
    }
    EXPECT_GT(bounces, 3);
    EXPECT_LT(last_bounce, 1.0f);
    EXPECT_EQ(ball.velocity.z, 0.0f);
    EXPECT_FLOAT_EQ(ball.position.z, 10.0f + ball.size);

    // Off the world a ball keeps falling.
    Ball lost;
    lost.terrain = &t;
    lost.position = KR::Vector4(-20, -20, 0, 0);
    for (int tick = 0; tick < 50; ++tick)
        lost.Update();
    EXPECT_LT(lost.position.z, -50.0f);
}

TEST_F(SceneObjects, FoodGrowsAndIsEatenToNothing) {
    AgentFood* food = t.AddAgentFood(nullptr, nullptr, 200.0);
    EXPECT_EQ(t.food_lib.Count(), 1);
    t.Simulate();
    EXPECT_EQ(food->amount(), 0.0f);  // not before its grow time
    fake_now = 300.0;
    for (int i = 0; i < 10; ++i)
        t.Simulate();
    EXPECT_FLOAT_EQ(food->amount(), 0.05f);
    EXPECT_FLOAT_EQ(food->position.z, 10.0f);  // on the surface, not above it

    float energy = 0.0f;
    EXPECT_TRUE(food->Eat(energy));
    EXPECT_FLOAT_EQ(energy, 0.04f);
    food->amount() = 0.5f;
    EXPECT_FALSE(food->Eat(energy));
    EXPECT_FLOAT_EQ(food->amount(), 0.47f);
}

TEST_F(SceneObjects, AgentWalksToFoodBehindItAndEatsItUp) {
    t.view.x = 90;  // heading 0: looking along +x
    t.view_pos = KR::Vector4(30, 15, 0, 0);
    const KR::Vector4 food_at(22, 15, 0, 0);
    AgentFood* food = t.AddAgentFood(&food_at, nullptr, 0.0);
    food->amount() = 0.9f;
    Agent* agent = t.AddAgent();
    EXPECT_LE(std::fabs(agent->bias), 1.0f);
    agent->next_breed_time = 1e9;  // no new food in this test
    // The agent is updated just before the food it eats: the update loop must not go on to
    // the eaten food (the sanitizer build sees it if it does).
    ASSERT_EQ((std::vector<scene_object*>{t.objects, agent->next}),
              (std::vector<scene_object*>{agent, food}));

    const float start = agent->position.x;
    t.Simulate();
    EXPECT_LT(agent->position.x, start);  // it turned round towards negative x
    EXPECT_NEAR(agent->rotation.z, 180.0f, 1e-3);
    for (int ticks = 0; t.food_lib.Count() > 0 && ticks < 1000; ++ticks)
        t.Simulate();
    EXPECT_EQ(t.food_lib.Count(), 0);
    EXPECT_EQ(t.ObjectCount(), 1);  // the food was removed from the scene
    EXPECT_GT(agent->energy, 0.5f);
    EXPECT_NEAR(agent->position.x, 22.0f, 1.0f);
}

TEST_F(SceneObjects, AgentDropsFoodFromItsEnergy) {
    t.view_pos = KR::Vector4(39.5f, 29.5f, 0, 0);  // in the last quad
    Agent* agent = t.AddAgent();
    agent->energy = 1.2f;
    agent->next_search_time = 1e9;
    t.Simulate();
    EXPECT_FLOAT_EQ(agent->energy, 0.7f);
    ASSERT_EQ(t.food_lib.Count(), 1);
    EXPECT_EQ(t.food_lib.First()->grow_time, fake_now + 5.0);
    EXPECT_EQ(agent->next_breed_time, fake_now + 1.0);
    // It walks only one vertex inside the last row and column.
    EXPECT_EQ(std::make_pair(agent->position.x, agent->position.y), std::make_pair(38.0f, 28.0f));
}

}  // namespace
