#pragma once
// The whole OpenGL set-up for the scene's GL tests, with small sky box and water textures.

#include "graphics/opengl_setup.h"
#include "support/console_capture.h"
#include "terrain/app_settings.h"

namespace QorTest {

// Runs the set-up and answers its log.
inline std::string SetUpSmallScene(const graphics::setup_options& options = {}) {
    textures.skybox_size = 32;
    textures.water_size = 16;
    textures.water_frames = 4;
    ConsoleCapture log;
    graphics::SetUpOpenGL(options);
    return log.str();
}

}  // namespace QorTest
