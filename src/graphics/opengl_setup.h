#pragma once
// Everything drawing needs before the first frame, made on the context the window provides:
// the capability report, the requirement checks, the shader programs, the named textures and
// materials and the shadow frame buffer. UpdateView keeps the viewport and the
// post-processing colour target in step with the window.

#include <functional>

#include "graphics/gl_capabilities.h"

namespace graphics {

struct setup_options {
    // Called with what the driver reported before anything is decided from it; tests take
    // capabilities away here to see the program refuse or run with less.
    std::function<void(gl_capabilities&)> adjust_capabilities;
};

// Needs a current compatibility-profile context. Raises KR::Error when a requirement is
// missing and KR::ErrorGL when OpenGL reports an error at the end.
void SetUpOpenGL(const setup_options& options = {});

// The window's drawing area and the toolbox beside it.
struct view_layout {
    int client_width = 0;
    int client_height = 0;
    bool toolbox_visible = false;
    int toolbox_width = -1;  // -1: there is no toolbox
};

void UpdateView(const view_layout& layout);

// Releases what SetUpOpenGL made; the context must still be current.
void ReleaseOpenGL();

}  // namespace graphics
