// The step driver: plain steps' scene in both modes, one step in flight, holds, stop, errors.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "kr/base/error.h"
#include "kr/base/manual_reset_event.h"
#include "terrain/grid_fixtures.h"
#include "terrain/step_driver.h"
#include "terrain/terrain.h"

namespace {

using QorTest::Landscape;

// Counts the ticks it takes part in; a tick waits while the gate is reset.
struct probe : scene_object {
    probe() { gate.Set(); }
    void Update() override {
        ++started;
        entered.Set();
        gate.Wait();
        if (fail) throw KR::Error("probe", ": failed");
        ++finished;
    }
    std::atomic<int> started{0}, finished{0};
    KR::ManualResetEvent entered, gate;
    bool fail = false;
};

// Rain, running erosion and a spring on rough ground; the view turns and floats.
struct prepared : QorTest::scene {
    prepared(int step_threads, bool water_stopped) {
        s.rain_multiplier = 0.01f;
        s.stop_erosion = 0;
        s.stop_water = water_stopped;
        s.auto_rotate = s.float_in_water = 1;
        t.SetStepThreads(step_threads);
        t.BuildFromHeights(Landscape(48, 40, 5).data(), 48, 40);
        t.AddSpring();
    }
};

// The parameter is the step's thread count; 1 runs the single-thread mode, more a worker.
class StepDriver : public ::testing::TestWithParam<int> {};

TEST_P(StepDriver, SameSceneAsPlainSteps) {
    for (const bool water_stopped : {false, true}) {
        SCOPED_TRACE(water_stopped ? "water stopped" : "water running");
        prepared plain_scene(1, water_stopped), driven_scene(GetParam(), water_stopped);
        terrain &plain = plain_scene.t, &driven = driven_scene.t;
        step_driver driver(driven, GetParam() > 1);
        driver.Start();
        for (int frame = 0; frame < 40; ++frame) {
            plain.Simulate();
            plain.UpdateBuffers();
        }
        for (int frame = 0; frame < 40; ++frame) {
            driver.Advance();
            driver.Drawn();
        }
        EXPECT_EQ(driver.TakeTotals().frames, 40);
        // The worker is on the next step: compare once it is done.
        driver.Hold([&] {
            // The draw buffers hold ground, water surface and depth of every point.
            EXPECT_TRUE(
                QorTest::SameBits(plain.clusters[0].vertex_data, driven.clusters[0].vertex_data));
            EXPECT_NEAR(plain.view.x, driven.view.x, 1e-3);
            EXPECT_NEAR(plain.view_pos.x, driven.view_pos.x, 1e-3);
        });
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, StepDriver, ::testing::Values(1, 2, 4), [](const auto& info) {
    return info.param == 1 ? "single" : std::to_string(info.param) + "threads";
});

TEST(StepDriverSingleThread, StoppedWaterKeepsTheDrawnWater) {
    QorTest::scene sc(24, 20, Landscape(24, 20, 3));
    auto& [s, d, t] = sc;
    s.stop_water = 1;  // and erosion stopped, as it starts
    const std::vector<float> drawn = t.clusters[0].vertex_data;
    step_driver driver(t, false);
    t.Tsunami();
    driver.Advance();
    EXPECT_EQ(t.clusters[0].vertex_data, drawn);
    s.stop_water = 0;
    driver.Advance();
    EXPECT_NE(t.clusters[0].vertex_data, drawn);
}

class StepWorker : public ::testing::Test, public QorTest::scene {
  protected:
    StepWorker() {
        t.SetStepThreads(2);
        t.BuildFromHeights(Landscape(24, 20, 3).data(), 24, 20);
        p->next = t.objects;
        t.objects = p;
    }
    // Opens the gate a little later, from another thread.
    std::thread ReleaseSoon() {
        return std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            p->gate.Set();
        });
    }
    double Water() const { return QorTest::TotalWater(*t.clusters[0].read_field); }

    probe* p = new probe;  // the terrain owns it
    step_driver driver{t, true};
};

TEST_F(StepWorker, OneStepInFlight) {
    driver.Start();
    for (int frame = 1; frame <= 20; ++frame) {
        driver.Advance();
        ASSERT_GE(p->finished, frame);     // the step handed over had ended
        ASSERT_LE(p->started, frame + 1);  // and only its successor was requested
    }
    driver.Hold([] {});  // a hold requests nothing
    EXPECT_EQ(std::make_pair(p->finished.load(), p->started.load()), std::make_pair(21, 21));
}

TEST_F(StepWorker, HoldAndStopWaitForTheStep) {
    p->gate.Reset();
    driver.Start();
    p->entered.Wait();
    std::thread release = ReleaseSoon();
    double water = 0;
    driver.Hold([&] {
        EXPECT_EQ(p->finished, 1);
        water = Water();
        t.view_pos = KR::Vector4(12, 10, 0, 0);
        t.Tsunami();
    });
    release.join();
    EXPECT_EQ(p->started, 1);
    p->gate.Reset();
    p->entered.Reset();
    driver.Advance();  // the step waited for, with the command's water
    EXPECT_GT(Water(), water + 100);

    p->entered.Wait();
    release = ReleaseSoon();
    driver.Stop();
    EXPECT_EQ(p->finished, 2);  // the worker ended after its step
    release.join();
    driver.Stop();
    driver.Advance();  // nothing left to advance
    EXPECT_EQ(p->started, 2);
}

TEST_F(StepWorker, NoStepBeforeATerrainButStepDone) {
    t.ready = 0;
    s.auto_rotate = 1;
    const float heading = t.view.x;
    driver.Start();
    for (int frame = 0; frame < 3; ++frame)
        driver.Advance();
    driver.Hold([&] { EXPECT_EQ(p->started, 0); });
    EXPECT_EQ(t.view.x, heading);
}

TEST_F(StepWorker, AnErrorOfTheStepIsRaisedByTheHandOver) {
    p->fail = true;
    driver.Start();
    EXPECT_THROW(driver.Advance(), KR::Error);
    driver.Advance();  // no step was requested after it
    EXPECT_EQ(p->started, 1);
}

}  // namespace
