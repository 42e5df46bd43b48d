#pragma once
// The one OpenGL context every GL test draws into, off-screen and kept for the whole program.

#include <GL/glew.h>

#include <cstdint>
#include <vector>

namespace QorTest {

// Makes the context current, creating it on first use (GLEW is initialised on it). False,
// with the reason printed once, when there is no display or no GL driver.
bool UseGLContext();
// The same for programs that cannot go on without it: ends the process when there is none.
void RequireGLContext();

// The pixels of the w x h area at (x, y) of the current read buffer, bottom row first.
std::vector<uint8_t> ReadPixels(int x, int y, int w = 1, int h = 1, GLenum format = GL_RGB);

// An off-screen frame buffer of side x side pixels (RGBA8 and a 24-bit depth), bound and
// cleared to transparent black with a viewport over it; bound again by Bind().
class DrawTarget {
  public:
    explicit DrawTarget(int side);
    ~DrawTarget();
    DrawTarget(const DrawTarget&) = delete;  // owns the GL objects it deletes
    DrawTarget& operator=(const DrawTarget&) = delete;
    void Bind() const;

  private:
    int side;
    GLuint framebuffer = 0, renderbuffers[2] = {};
};

}  // namespace QorTest
