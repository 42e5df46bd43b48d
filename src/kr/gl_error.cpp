#include "kr/gl_error.h"

#include <GL/gl.h>

#include "kr/error.h"

namespace KR {

const char* GLErrorName(uint32_t code) {
    switch (code) {
        case GL_INVALID_ENUM:
            return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "GL_INVALID_OPERATION";
        case GL_STACK_OVERFLOW:
            return "GL_STACK_OVERFLOW";
        case GL_STACK_UNDERFLOW:
            return "GL_STACK_UNDERFLOW";
        case GL_OUT_OF_MEMORY:
            return "GL_OUT_OF_MEMORY";
        default:
            return "Unknown error!";
    }
}

void ThrowGLError(const char* place, uint32_t code) {
    throw ErrorGL(place ? place : "", GLErrorName(code), code);
}

void CheckGLError(const char* place) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR) ThrowGLError(place, code);
}

}  // namespace KR
