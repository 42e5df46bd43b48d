#pragma once

namespace KR {

// Initialises the extension loader on the current context; raises KR::ErrorGL
// "KR::GLEWInit: GLEW Init error: <the loader's text>" when it fails.
void GLEWInit();

}  // namespace KR
