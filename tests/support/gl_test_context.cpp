#include "support/gl_test_context.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "kr/error.h"
#include "kr/glew_init.h"

namespace QorTest {
namespace {

struct GLTestContext {
    GLTestContext() {
        static int argc = 1;
        static char name[] = "qor-gl-test";
        static char* argv[] = {name, nullptr};
        // GLEW needs a GLX context, so the tests run on the X server (Xvfb without a screen).
        if (!QGuiApplication::instance()) {
            // Qt wants a private runtime folder and complains on every start without one.
            if (qgetenv("XDG_RUNTIME_DIR").isEmpty()) {
                const std::string runtime = "/tmp/qor-runtime-" + std::to_string(::getuid());
                ::mkdir(runtime.c_str(), 0700);
                qputenv("XDG_RUNTIME_DIR", runtime.c_str());
            }
            qputenv("QT_QPA_PLATFORM", "xcb");
            qputenv("QT_XCB_GL_INTEGRATION", "xcb_glx");
            app = std::make_unique<QGuiApplication>(argc, argv);
        }
        QSurfaceFormat format;
        format.setRenderableType(QSurfaceFormat::OpenGL);
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setDepthBufferSize(24);
        format.setStencilBufferSize(8);
        format.setRedBufferSize(8);
        format.setGreenBufferSize(8);
        format.setBlueBufferSize(8);
        format.setAlphaBufferSize(8);
        surface = std::make_unique<QOffscreenSurface>();
        surface->setFormat(format);
        surface->create();
        context = std::make_unique<QOpenGLContext>();
        context->setFormat(format);
        if (!context->create() || !context->makeCurrent(surface.get())) Fail("no OpenGL context");
        try {
            KR::GLEWInit();
        } catch (const KR::Error& error) {
            Fail(error.what());
        }
    }

    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "GL tests need a display with OpenGL: %s\n", why);
        std::exit(1);
    }

    std::unique_ptr<QGuiApplication> app;
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
};

GLTestContext* shared_context = nullptr;

}  // namespace

void RequireGLContext() {
    // Never destroyed: the driver keeps its own state until the process ends.
    if (!shared_context) shared_context = new GLTestContext;
    shared_context->context->makeCurrent(shared_context->surface.get());
}

}  // namespace QorTest
