#include "kr/gl/glew_init.h"

#include <GL/glew.h>

#include <string>

#include "kr/base/error.h"

namespace KR {

void GLEWInit() {
    const GLenum result = glewInit();
    if (result != GLEW_OK) {
        const auto* text = reinterpret_cast<const char*>(glewGetErrorString(result));
        throw ErrorGL("KR::GLEWInit", std::string(": GLEW Init error: ") + (text ? text : ""),
                      result);
    }
}

}  // namespace KR
