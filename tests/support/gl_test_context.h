#pragma once
// The one OpenGL context every GL test draws into: a compatibility-profile context on a small
// off-screen surface, made current on the calling thread and kept for the whole test program.
// Tests of the graphics code call RequireGLContext() first; the code under test only sees a
// current context, as it does in the program.

namespace QorTest {

// Creates the context on first use (GLEW is initialised on it) and makes it current.
// Aborts the test program with a message when no display or no GL driver is available.
void RequireGLContext();

}  // namespace QorTest
