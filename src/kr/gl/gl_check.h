#pragma once

#include "kr/base/gl_error.h"

namespace KR {

// Reads one pending OpenGL error; raises KR::ErrorGL with place + the error's name.
void CheckGLError(const char* place);

}  // namespace KR
