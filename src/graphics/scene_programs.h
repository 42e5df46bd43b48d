#pragma once
// The three programs the scene is drawn with (water, terrain, sky), loaded from their source
// files at start-up and on "Reload shaders". When anything fails the scene is drawn with
// fixed functionality: shaders_ok stays 0 and the renderer must not use the programs.

#include <functional>

#include "kr/gl/shader.h"

namespace graphics {

// Point into the environment's shader library; nullptr until loaded and after a reload
// that did not reach them.
extern KR::Shader* water_program;
extern KR::Shader* terrain_program;
extern KR::Shader* sky_program;
// 1 when all three programs compiled and linked.
extern int shaders_ok;

// Rebuilds the post-processing program, which depends on the scene programs' state. The
// post-processing module installs it; every reload that found shader support calls it,
// whether the scene programs succeeded or not. An empty function removes it.
void SetPostProcessRebuild(std::function<void()> rebuild);

// Destroys the previous programs and loads the three again (needs the OpenGL context).
// Failures are written to the console and leave shaders_ok at 0; nothing is raised for them.
void ReloadShaders();

// Destroys the three programs at shutdown.
void ReleaseShaders();

}  // namespace graphics
