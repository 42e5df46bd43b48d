#include "terrain/step_driver.h"

#include <chrono>
#include <system_error>

#include "kr/base/error.h"
#include "terrain/terrain.h"

namespace {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

step_driver::step_driver(terrain& scene, bool multithreading)
    : scene(scene), multithreading(multithreading), hand_over_end(Now()) {}

step_driver::~step_driver() {
    Stop();
}

void step_driver::Start() {
    if (!multithreading || started) return;
    // The tick moves its own copy of the view, which the hand-over applies, so input and
    // drawing keep the view to themselves while the step runs.
    scene.SetPublishTickMotion(true);
    scene.BeginTick();
    try {
        worker = std::thread(&step_driver::WorkerLoop, this);
    } catch (const std::system_error&) {
        scene.SetPublishTickMotion(false);
        throw KR::Error("CreateMainWindow", ": Can't create threads!");
    }
    started = true;
    step_request.Set();
    in_flight = true;
}

void step_driver::WorkerLoop() {
    while (KR::ManualResetEvent::WaitEither(quit, step_request) != 0) {
        step_request.Reset();
        try {
            if (scene.ready) scene.Simulate();
        } catch (...) {
            // An exception must not end the process from here; the main thread raises it.
            worker_error = std::current_exception();
        }
        step_done.Set();
    }
    worker_ended.Set();
}

void step_driver::Advance() {
    const double begin = Now();
    double stepped;
    if (multithreading) {
        if (!in_flight) return;
        step_done.Wait();
        step_done.Reset();
        in_flight = false;
        if (worker_error) std::rethrow_exception(std::exchange(worker_error, nullptr));
        stepped = Now();
        scene.UpdateBuffers();
        scene.TakeTickMotion();
        scene.BeginTick();
        step_request.Set();
        in_flight = true;
    } else {
        scene.Simulate();
        stepped = Now();
        // While the water stands still the drawn water stays as it was. Running erosion still
        // needs its swap: it adds its slides into the write field, and without a swap it would
        // add the same slides from the unchanged read field every frame.
        const simulation_settings& s = scene.Settings();
        if (!s.stop_water || !s.stop_erosion) scene.UpdateBuffers();
    }
    hand_over_end = Now();
    last = frame_split{stepped - begin, hand_over_end - stepped, 0.0, 1};
    totals.step += last.step;
    totals.hand_over += last.hand_over;
    ++totals.frames;
}

void step_driver::Drawn() {
    last.draw = Now() - hand_over_end;
    totals.draw += last.draw;
}

void step_driver::WaitUntilIdle() {
    // Step done stays set: the next Advance takes the step and hands it over.
    if (in_flight) step_done.Wait();
}

void step_driver::Stop() {
    if (!worker.joinable()) return;
    quit.Set();
    worker_ended.Wait();
    worker.join();
    in_flight = false;
    scene.SetPublishTickMotion(false);
}
