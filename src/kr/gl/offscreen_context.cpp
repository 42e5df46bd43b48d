#include "kr/gl/offscreen_context.h"

#include <GL/glx.h>
#include <unistd.h>

#include "kr/base/error.h"
#include "kr/gl/glew_init.h"

namespace KR {

struct OffscreenContext::glx {
    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    GLXContext context = nullptr;
};

namespace {

[[noreturn]] void Fail(const char* why) {
    throw Error("KR::OffscreenContext", std::string(": ") + why);
}

}  // namespace

OffscreenContext::OffscreenContext(int width, int height)
    : handles(std::make_unique<glx>()), width(width), height(height) {
    glx& h = *handles;
    // A freshly started server may not take connections at once.
    for (int attempt = 0; attempt < 50 && !h.display; ++attempt) {
        h.display = XOpenDisplay(nullptr);
        if (!h.display) ::usleep(100 * 1000);
    }
    if (!h.display) Fail("Cannot open the X display (set DISPLAY or run under xvfb-run).");

    const int attributes[] = {GLX_DRAWABLE_TYPE,
                              GLX_PBUFFER_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_ALPHA_SIZE,
                              0,
                              GLX_DEPTH_SIZE,
                              24,
                              GLX_STENCIL_SIZE,
                              8,
                              None};
    int count = 0;
    GLXFBConfig* configs =
        glXChooseFBConfig(h.display, DefaultScreen(h.display), attributes, &count);
    if (!configs || count == 0) {
        if (configs) XFree(configs);
        XCloseDisplay(h.display);
        Fail("No RGBA8 frame-buffer configuration with depth and stencil.");
    }
    // A configuration without destination alpha: software drivers show a pixel buffer through
    // the screen's 24-bit format, and one with alpha fails there on the first flush.
    GLXFBConfig config = configs[0];
    for (int k = 0; k < count; ++k) {
        int alpha = -1;
        glXGetFBConfigAttrib(h.display, configs[k], GLX_ALPHA_SIZE, &alpha);
        if (alpha == 0) {
            config = configs[k];
            break;
        }
    }
    XFree(configs);

    const int size[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, None};
    h.pbuffer = glXCreatePbuffer(h.display, config, size);
    // The classic creation call gives the newest compatibility profile the driver has.
    h.context = glXCreateNewContext(h.display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!h.pbuffer || !h.context) {
        if (h.context) glXDestroyContext(h.display, h.context);
        if (h.pbuffer) glXDestroyPbuffer(h.display, h.pbuffer);
        XCloseDisplay(h.display);
        Fail("Cannot create the OpenGL context.");
    }
    MakeCurrent();
    GLEWInit();
}

OffscreenContext::~OffscreenContext() {
    glx& h = *handles;
    glXMakeContextCurrent(h.display, None, None, nullptr);
    glXDestroyContext(h.display, h.context);
    glXDestroyPbuffer(h.display, h.pbuffer);
    XCloseDisplay(h.display);
}

void OffscreenContext::MakeCurrent() const {
    const glx& h = *handles;
    if (!glXMakeContextCurrent(h.display, h.pbuffer, h.pbuffer, h.context))
        Fail("Cannot make the OpenGL context current.");
}

}  // namespace KR
