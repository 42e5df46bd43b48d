#pragma once
// An OpenGL context without a window: a compatibility-profile GLX context on a pixel buffer of
// the X server (Xvfb when there is no screen), with GLEW initialised on it. The snapshots of
// the headless program and the GL tests draw into it.

#include <memory>

namespace KR {

class OffscreenContext {
  public:
    // Opens the display, makes the context and its width x height buffer (RGBA8, 24-bit depth,
    // 8-bit stencil) current. Raises KR::Error with a message that says what is missing when
    // there is no display or no such context.
    OffscreenContext(int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    void MakeCurrent() const;
    int Width() const { return width; }
    int Height() const { return height; }

  private:
    struct glx;
    std::unique_ptr<glx> handles;
    int width, height;
};

}  // namespace KR
