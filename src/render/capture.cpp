#include "render/capture.h"

#include <GL/glew.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <new>

#include "graphics/graphics_state.h"
#include "kr/image/bmp_writer.h"
#include "kr/base/error.h"

namespace render {

std::string CaptureFileName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::snprintf(name, sizeof name, "capture-%02d%02d%02d-%02d%02d%02d.bmp", local.tm_year % 100,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}

std::string CaptureScene(const char* file_name) {
    const std::string name = file_name ? file_name : CaptureFileName();
    const auto& view = graphics::gl_state;
    const size_t w = size_t(view.view_width > 0 ? view.view_width : 0);
    const size_t h = size_t(view.view_height > 0 ? view.view_height : 0);
    // Four bytes per pixel, as the view was always read; the rows are packed RGB.
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[w * h * 4 + 1]);
    if (!data) throw KR::ErrorMem("CaptureScene", ": data=new UByte [w*h*4];", uint32_t(w * h * 4));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(view.view_offset, 0, GLsizei(w), GLsizei(h), GL_RGB, GL_UNSIGNED_BYTE, data.get());
    KR::SaveRGB2BMP(name.c_str(), int(w), int(h), data.get());
    return name;
}

}  // namespace render
