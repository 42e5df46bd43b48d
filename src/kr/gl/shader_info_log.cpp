#include "kr/gl/shader_info_log.h"

#include <GL/glew.h>

#include <algorithm>
#include <string>

#include "kr/base/console.h"

namespace KR {
namespace {

// A log is a few lines; a length beyond this is a driver fault, and we keep only the start.
constexpr GLint kMaxLogLength = 1 << 20;

}  // namespace

bool LogMentionsSoftware(std::string_view log) {
    return log.find("software") != std::string_view::npos;
}

bool PrintInfoLog(uint32_t object) {
    if (object == 0) return false;
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 0) return false;
    length = std::min(length, kMaxLogLength);
    std::string log(size_t(length), '\0');
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, log.data());
    log.resize(size_t(std::clamp<GLsizei>(written, 0, length - 1)));
    console << log;
    return LogMentionsSoftware(log);
}

}  // namespace KR
