#pragma once
// OpenGL error codes by name, and the error they raise. Reading the pending error from OpenGL
// is kr_gl's CheckGLError (kr/gl/gl_check.h).

#include <cstdint>

namespace KR {

// The name of an OpenGL error code ("GL_INVALID_ENUM", ... or "Unknown error!").
const char* GLErrorName(uint32_t code);

// The error CheckGLError raises for a code, without reading it from OpenGL.
[[noreturn]] void ThrowGLError(const char* place, uint32_t code);

}  // namespace KR
