#pragma once
// The post-processing pass: the scene, drawn into the colour target, goes to the window
// through the generated program as one screen-filling quad.

namespace render {

// Whether this frame goes through post-processing: switched on, supported and on shaders.
bool PostProcessingActive();

// Draws the colour target into the window's frame buffer (the pushed viewport is popped).
void DrawPostProcessing(float animation_time);

}  // namespace render
