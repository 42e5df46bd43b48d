#pragma once
// Pictures of a headless run: the program's own frame drawn on an offscreen context, as a
// snapshot of the final scene and as a time-lapse while the water runs.

#include <memory>

#include "sim_options.h"

class terrain;

namespace KR {
class OffscreenContext;
}

class sim_pictures {
  public:
    // Makes the context and everything drawing needs; applies --camera to the terrain's view.
    // Raises KR::Error when no display or no context can be had.
    sim_pictures(const sim_options& options, terrain& t);
    ~sim_pictures();

    // After each step: a time-lapse frame every --every steps.
    void AfterStep(int step);
    // The snapshot of the scene as it is now.
    void Snapshot();

  private:
    void DrawTo(const std::string& file);

    const sim_options& options;
    terrain& t;
    std::unique_ptr<KR::OffscreenContext> context;
    int frames_written = 0;
};
