#include "support/gl_test_context.h"

#include <GL/glx.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "kr/error.h"
#include "kr/gl/glew_init.h"

namespace QorTest {
namespace {

// A GLX context on a small pixel buffer of the X server (Xvfb when there is no screen). GLEW
// needs GLX, and talking to GLX directly keeps the tests free of any toolkit start-up.
struct GLTestContext {
    GLTestContext() {
        // A freshly started server may not take connections at once.
        for (int attempt = 0; attempt < 50 && !display; ++attempt) {
            display = XOpenDisplay(nullptr);
            if (!display) ::usleep(100 * 1000);
        }
        if (!display) Fail("cannot open the X display (set DISPLAY or run under xvfb-run)");

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
                                  8,
                                  GLX_DEPTH_SIZE,
                                  24,
                                  GLX_STENCIL_SIZE,
                                  8,
                                  None};
        int count = 0;
        GLXFBConfig* configs =
            glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
        if (!configs || count == 0) Fail("no RGBA8 frame-buffer configuration with depth");
        const GLXFBConfig config = configs[0];
        XFree(configs);

        const int pbuffer_size[] = {GLX_PBUFFER_WIDTH, 64, GLX_PBUFFER_HEIGHT, 64, None};
        pbuffer = glXCreatePbuffer(display, config, pbuffer_size);
        // The classic creation call gives the newest compatibility profile the driver has.
        context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
        if (!pbuffer || !context) Fail("cannot create the context");
        MakeCurrent();
        try {
            KR::GLEWInit();
        } catch (const KR::Error& error) {
            Fail(error.what());
        }
    }

    void MakeCurrent() const {
        if (!glXMakeContextCurrent(display, pbuffer, pbuffer, context))
            Fail("cannot make the context current");
    }

    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "GL tests need a display with OpenGL: %s\n", why);
        std::exit(1);
    }

    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    GLXContext context = nullptr;
};

GLTestContext* shared_context = nullptr;

}  // namespace

void RequireGLContext() {
    // Never destroyed: the driver keeps its own state until the process ends.
    if (!shared_context) shared_context = new GLTestContext;
    shared_context->MakeCurrent();
}

}  // namespace QorTest
