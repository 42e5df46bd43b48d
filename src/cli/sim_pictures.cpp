#include "sim_pictures.h"

#include <cstdio>
#include <filesystem>

#include "graphics/opengl_setup.h"
#include "kr/base/error.h"
#include "kr/gl/offscreen_context.h"
#include "render/capture.h"
#include "terrain/terrain.h"

sim_pictures::sim_pictures(const sim_options& options, terrain& t) : options(options), t(t) {
    context = std::make_unique<KR::OffscreenContext>(options.image_width, options.image_height);
    graphics::SetUpOpenGL();
    graphics::view_layout layout;
    layout.client_width = options.image_width;
    layout.client_height = options.image_height;
    graphics::UpdateView(layout);
    if (options.camera_given) {
        t.view.x = options.camera[0];
        t.view.y = options.camera[1];
        t.view.z = options.camera[2];
    }
    if (!options.frames.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.frames, error);
        if (error)
            throw KR::ErrorFile("qor-sim", ": Can't create the frames folder!", options.frames);
    }
}

sim_pictures::~sim_pictures() {
    graphics::ReleaseOpenGL();
}

void sim_pictures::DrawTo(const std::string& file) {
    t.Draw();
    render::CaptureScene(file.c_str());
}

void sim_pictures::AfterStep(int step) {
    if (options.frames.empty()) return;
    const int every = options.every > 0 ? options.every : 10;
    if (step % every != 0) return;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.bmp", ++frames_written);
    DrawTo((std::filesystem::path(options.frames) / name).string());
}

void sim_pictures::Snapshot() {
    if (options.snapshot.empty()) return;
    DrawTo(options.snapshot);
    std::printf("Snapshot:        %s (%d x %d)\n", options.snapshot.c_str(), options.image_width,
                options.image_height);
}
