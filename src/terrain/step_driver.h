#pragma once
// Advances the simulation from the main loop. In multi-thread mode a worker thread runs each
// step while the main thread draws the previous one; the two meet once per frame, where the
// main thread takes the finished step, hands it over to drawing and requests the next, so
// exactly one step is in flight. In single-thread mode each frame steps on the caller's thread.

#include <exception>
#include <thread>
#include <utility>

#include "kr/base/manual_reset_event.h"

class terrain;

// Where the main thread's time went, in seconds: one frame, or the sum of several.
struct frame_split {
    double step = 0.0;       // waiting for the worker's step, or running it in single-thread mode
    double hand_over = 0.0;  // the swap, the draw buffers and the view's motion
    double draw = 0.0;       // as the caller reports it with Drawn
    int frames = 0;
};

class step_driver {
  public:
    step_driver(terrain& scene, bool multithreading);
    // Stops the worker.
    ~step_driver();
    step_driver(const step_driver&) = delete;
    step_driver& operator=(const step_driver&) = delete;

    bool Multithreading() const { return multithreading; }

    // Multi-thread mode: launches the worker and requests the first step, once; raises KR::Error
    // when no thread can be made. Single-thread mode: nothing to do.
    void Start();

    // One frame's advance, on the main thread. Multi-thread mode: waits for the step in flight,
    // hands it over and requests the next (nothing before Start or after Stop); an error the
    // step raised is raised here. Single-thread mode: steps, then hands over.
    void Advance();

    // The frame drawn since the last Advance is finished.
    void Drawn();

    // Runs command once no step is in flight. The worker gets no request until the next
    // Advance, so the command may change anything a tick reads or writes (grid, objects,
    // settings, view); the step it waited for is still handed over by that Advance.
    template <class Command>
    decltype(auto) Hold(Command&& command) {
        WaitUntilIdle();
        return std::forward<Command>(command)();
    }

    // Ends the worker: signals quit, waits until it has left its loop (a step in flight ends
    // first) and joins it. Does nothing when no worker runs.
    void Stop();

    const frame_split& LastFrame() const { return last; }
    // The sums since the last call, which starts them again.
    frame_split TakeTotals() { return std::exchange(totals, frame_split{}); }

  private:
    void WorkerLoop();
    void WaitUntilIdle();

    terrain& scene;
    const bool multithreading;
    // Created unsignalled in this order. Quit and step request share a lock, so the worker can
    // wait for either.
    KR::ManualResetEvent quit, step_request{&quit}, step_done, worker_ended;
    std::thread worker;
    bool started = false;
    bool in_flight = false;           // requested and not yet handed over (main thread only)
    std::exception_ptr worker_error;  // written by the worker before it signals step done

    frame_split last, totals;
    double hand_over_end = 0.0;  // when the last Advance returned, on the frame clock
};
