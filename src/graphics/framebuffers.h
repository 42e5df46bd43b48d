#pragma once
// The two off-screen targets: the shadow map's depth frame buffer and the colour target that
// post-processing reads the finished image from.

#include <cstdint>

#include "graphics/gl_capabilities.h"

namespace graphics {

// Renders the shadow map into its own frame buffer when the driver can; otherwise falls back
// to copying from the window with a 512 x 512 shadow map. Writes what it chose.
void SetUpShadowFramebuffer(const gl_capabilities& caps);

// (Re)creates the post-processing colour target at the view's size; an incomplete frame
// buffer switches post-processing off.
void CreateColorTarget(int32_t width, int32_t height);

// Deletes every frame buffer, render buffer and the two textures made here.
void DeleteFramebuffers();

}  // namespace graphics
