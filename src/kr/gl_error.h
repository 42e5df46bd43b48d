#pragma once

#include <cstdint>

namespace KR {

// The name of an OpenGL error code ("GL_INVALID_ENUM", ... or "Unknown error!").
const char* GLErrorName(uint32_t code);

// Reads one pending OpenGL error; raises KR::ErrorGL with place + the error's name.
void CheckGLError(const char* place);

// The error CheckGLError raises for a code, without reading it from OpenGL.
[[noreturn]] void ThrowGLError(const char* place, uint32_t code);

}  // namespace KR
