#include "support/gl_test_context.h"

#include <cstdio>
#include <cstdlib>

#include "kr/base/error.h"
#include "kr/gl/offscreen_context.h"

namespace QorTest {
namespace {

// Large enough for the drawing tests' 256 x 256 views and the 512 x 512 the shadow map's
// copy path needs.
constexpr int kBufferSize = 512;

KR::OffscreenContext* shared_context = nullptr;

}  // namespace

void RequireGLContext() {
    // Never destroyed: the driver keeps its own state until the process ends.
    try {
        if (!shared_context) shared_context = new KR::OffscreenContext(kBufferSize, kBufferSize);
        shared_context->MakeCurrent();
    } catch (const KR::Error& error) {
        std::fprintf(stderr, "GL tests need a display with OpenGL: %s\n", error.what());
        std::exit(1);
    }
}

}  // namespace QorTest
