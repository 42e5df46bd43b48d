// The fast grid against the literal reference model: same bits after hundreds of steps, for
// every setting that changes the step and for every thread count.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>
#include <utility>

#include "kr/base/random.h"
#include "terrain/flow_pass.h"
#include "terrain/grid_fixtures.h"
#include "terrain/terrain.h"

namespace {

using namespace QorTest;

struct scenario {
    const char* name;
    int columns, rows;
    simulation_settings settings;
    int steps = 300;
    bool spring = false;           // pour water at one point every tick
    bool commands = false;         // tsunami, brushes, smoothing, resets, water stopped
    bool idle_hand_overs = false;  // now and then a hand-over with no step before it
};

simulation_settings Settings(int rain_type, bool erosion, int aquarium, float z_aquarium,
                             float timescale, float randomness = 0, float rain = 0.01f) {
    simulation_settings s;
    std::tie(s.rain_type, s.rain_multiplier, s.stop_erosion, s.aquarium, s.z_aquarium, s.timescale,
             s.randomness) = std::make_tuple(rain_type, rain, erosion ? 0 : 1, aquarium, z_aquarium,
                                             timescale, randomness);
    return s;
}

// The parameter is the thread count, plus 10 to use the AVX2 kernels and 20 for the kernels
// built for any x86-64 (on processors that have the wider ones), plus 100 to stream the
// stores into the write field as on grids larger than the caches.
class StepOracle : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        step_kernel_limit = std::array{step_kernels::best, step_kernels::avx2,
                                       step_kernels::plain}[GetParam() % 100 / 10];
        if (GetParam() >= 100) streamed_field_bytes = 0;
        step_thread_choice::follow_load = false;  // every strip, however busy
    }
    void TearDown() override {
        step_kernel_limit = step_kernels::best;
        streamed_field_bytes = kStreamedFieldBytes;
        step_thread_choice::follow_load = true;
    }
    int Threads() const { return GetParam() % 10; }

    // Runs the scenario on both models and compares them after the first tick and at the end.
    void Run(const scenario& sc) {
        SCOPED_TRACE(sc.name);
        const std::vector<float> heights =
            Landscape(sc.columns, sc.rows, 11u * sc.columns + sc.rows);
        simulation_settings s = sc.settings;
        reference::cluster ref;
        ref.settings = &s;
        ref.Generate(heights, sc.columns, sc.rows);

        terrain fast;
        fast.settings = &s;
        fast.SetStepThreads(Threads());
        fast.BuildFromHeights(heights.data(), sc.columns, sc.rows);
        fast.brush_radius = 6.0f;
        cluster& c = fast.clusters[0];
        float ref_min = 1e30f, ref_max = -1e30f;
        ref.RefreshBuffers(s, ref_min, ref_max);

        for (int step = 0; step < sc.steps; ++step) {
            if (sc.commands) Command(step, fast, ref, s);
            if (sc.spring && !s.stop_water) {
                const float amount = 100.0f * 1.0f * s.rain_multiplier * s.timescale;
                const int i = sc.columns / 3 + 1, j = sc.rows / 2 + 1;
                ref.write_field->Get(i, j)->AddWater(amount);
                c.write_field->AddWater(i, j, amount);
            }
            // Both models draw from the same random sequence.
            KR::RandomSeed(step + 1);
            ref.Step(s);
            const uint32_t ref_random = KR::GetRandomState();
            KR::RandomSeed(step + 1);
            fast.Simulate();
            ASSERT_EQ(KR::GetRandomState(), ref_random) << "random draws differ";
            const int hand_overs = sc.idle_hand_overs && step % 7 == 3 ? 2 : 1;
            for (int hand_over = 0; hand_over < hand_overs; ++hand_over) {
                ref_min = 1e30f, ref_max = -1e30f;
                ref.SwapAndRefresh(s, ref_min, ref_max);
                fast.UpdateBuffers();
            }
            SCOPED_TRACE("after step " + std::to_string(step + 1));
            // The draw buffers after every step: a hand-over keeps the ground it drew before.
            ExpectSameBuffers(c, ref);
            // The fields at the start and at the last two steps (a field's flows left
            // stale show on every second one).
            if (step == 0 || step >= sc.steps - 2) {
                ExpectSameField(*c.read_field, *ref.read_field, "read", compared::outflow);
                ExpectSameField(*c.write_field, *ref.write_field, "write",
                                compared::ground_and_water);
                EXPECT_EQ(fast.z_min, ref_min);
                EXPECT_EQ(fast.z_max, ref_max);
            }
            if (HasFatalFailure()) return;
        }
    }

    // Each command on both models, at its step.
    static void Command(int step, terrain& fast, reference::cluster& ref, simulation_settings& s) {
        const float vx = fast.view_pos.x, vy = fast.view_pos.y, r = fast.brush_radius;
        const std::pair<int, std::function<void()>> commands[] = {
            {5, [&] { fast.Tsunami(), reference::Tsunami(ref, vx, vy, r); }},
            {40, [&] { fast.RaiseBrush(3.5f), reference::RaiseBrush(ref, vx, vy, r, 3.5f); }},
            {60, [&] { fast.SmoothBrush(), reference::SmoothBrush(ref, vx, vy, r); }},
            {80, [&] { fast.SmoothTerrain(), reference::SmoothTerrain(ref); }},
            {120, [&] { fast.ResetMovement(), reference::ResetMovement(ref); }},
            {200, [&] { fast.ResetWater(), reference::ResetWater(ref); }},
            {210,  // a tsunami partly off the grid
             [&] { fast.view_pos.x = 2.5f, fast.Tsunami(), reference::Tsunami(ref, 2.5f, vy, r); }},
            {290, [&] { s.stop_water = 1; }}};  // the flows stay as they were, in both fields
        for (const auto& [at, command] : commands)
            if (at == step) command();
    }
};

TEST_P(StepOracle, RainTypesAndTimescales) {
    Run({"flat rain", 97, 61, Settings(1, false, 0, 40, 1.0f)});
    Run({"height rain, half time", 97, 61, Settings(2, false, 0, 40, 0.5f)});
    Run({"rain map adds nothing", 40, 33, Settings(3, false, 0, 40, 1.0f), 120});
}

TEST_P(StepOracle, ErosionAndAquarium) {
    Run({"erosion", 97, 61, Settings(1, true, 0, 40, 1.0f)});
    Run({"aquarium below the ground", 64, 48, Settings(1, true, 1, 2.0f, 1.0f), 200});
    Run({"aquarium above the ground", 64, 48, Settings(2, false, 1, 30.0f, 0.5f), 200});
}

TEST_P(StepOracle, SpringsCommandsAndRandomness) {
    // Height rain reads the ground a brush has just changed in the write field.
    Run({"spring and commands", 97, 61, Settings(2, true, 0, 40, 1.0f), 300, true, true, true});
    // Random damping draws one value per vertex in row order, on any thread count; a thin
    // rain keeps the water shallow enough for the draws to count.
    Run({"randomness", 50, 37, Settings(1, false, 0, 40, 1.0f, 0.5f, 1e-5f), 60});
    simulation_settings stopped = Settings(1, true, 0, 40, 1.0f);
    stopped.stop_water = 1;  // slope collapse still runs
    Run({"water stopped", 30, 20, stopped, 40});
}

TEST_P(StepOracle, TinyGrids) {
    Run({"1 x 1", 1, 1, Settings(1, true, 0, 40, 1.0f), 50});
    Run({"2 x 2", 2, 2, Settings(2, true, 1, 12.0f, 1.0f), 50});
    Run({"1 x 7", 1, 7, Settings(1, true, 0, 40, 1.0f), 50});
    Run({"9 x 2", 9, 2, Settings(1, true, 1, 15.0f, 0.5f), 50});
}

std::string OracleName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kernels[3] = {"", "Avx2", "Plain"};
    return std::to_string(info.param % 10) + "threads" + kernels[info.param % 100 / 10] +
           (info.param >= 100 ? "Streamed" : "");
}

INSTANTIATE_TEST_SUITE_P(Threads, StepOracle,
                         ::testing::Values(1, 2, 3, 7, 11, 12, 21, 22, 102, 121), OracleName);

}  // namespace
