#pragma once

#include "graphics/gl_capabilities.h"

namespace graphics {

// Refuses to run without the extensions drawing needs ("SetUpOpenGL: ..."), in the order
// they are tested; fewer than 8 texture units only writes the restricted-mode line.
void CheckOpenGLRequirements(const gl_capabilities& caps);

}  // namespace graphics
