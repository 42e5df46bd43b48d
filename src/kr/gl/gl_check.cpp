#include "kr/gl/gl_check.h"

#include <GL/gl.h>

namespace KR {

void CheckGLError(const char* place) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR) ThrowGLError(place, code);
}

}  // namespace KR
