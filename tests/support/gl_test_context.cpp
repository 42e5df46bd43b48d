#include "support/gl_test_context.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kr/base/error.h"
#include "kr/gl/offscreen_context.h"

namespace QorTest {
namespace {

// Large enough for the drawing tests' 256 x 256 views and the 512 x 512 the shadow map's
// copy path needs.
constexpr int kBufferSize = 512;

// Never destroyed: the driver keeps its own state until the process ends.
KR::OffscreenContext* shared_context = nullptr;
std::string failure;

}  // namespace

bool UseGLContext() {
    if (!failure.empty()) return false;
    try {
        if (!shared_context) shared_context = new KR::OffscreenContext(kBufferSize, kBufferSize);
        shared_context->MakeCurrent();
        return true;
    } catch (const KR::Error& error) {
        failure = error.what();
        std::fprintf(stderr, "GL tests need a display with OpenGL: %s\n", failure.c_str());
        return false;
    }
}

void RequireGLContext() {
    if (!UseGLContext()) std::exit(1);
}

std::vector<uint8_t> ReadPixels(int x, int y, int w, int h, GLenum format) {
    std::vector<uint8_t> pixels(size_t(w) * h * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

DrawTarget::DrawTarget(int side) : side(side) {
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, renderbuffers);
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
    const GLenum points[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], side, side);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, points[i], GL_RENDERBUFFER, renderbuffers[i]);
    }
    Bind();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

DrawTarget::~DrawTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(2, renderbuffers);
}

void DrawTarget::Bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, side, side);
}

}  // namespace QorTest
