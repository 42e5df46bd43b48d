#include "kr/base/gl_error.h"

#include "kr/base/error.h"

namespace KR {
namespace {

// The error codes of OpenGL's core header, named here so that this library needs no GL.
enum : uint32_t {
    kGlInvalidEnum = 0x0500,
    kGlInvalidValue = 0x0501,
    kGlInvalidOperation = 0x0502,
    kGlStackOverflow = 0x0503,
    kGlStackUnderflow = 0x0504,
    kGlOutOfMemory = 0x0505
};

}  // namespace

const char* GLErrorName(uint32_t code) {
    switch (code) {
        case kGlInvalidEnum:
            return "GL_INVALID_ENUM";
        case kGlInvalidValue:
            return "GL_INVALID_VALUE";
        case kGlInvalidOperation:
            return "GL_INVALID_OPERATION";
        case kGlStackOverflow:
            return "GL_STACK_OVERFLOW";
        case kGlStackUnderflow:
            return "GL_STACK_UNDERFLOW";
        case kGlOutOfMemory:
            return "GL_OUT_OF_MEMORY";
        default:
            return "Unknown error!";
    }
}

void ThrowGLError(const char* place, uint32_t code) {
    throw ErrorGL(place ? place : "", GLErrorName(code), code);
}

}  // namespace KR
