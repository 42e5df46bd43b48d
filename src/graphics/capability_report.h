#pragma once
// The report of the driver's capabilities written to the console log at set-up.

namespace graphics {

// Writes the extension string one name per line.
void PrintGLExtStr(const char* extensions);

// The "OpenGL info" block: version, buffers, limits and ranges.
void WriteOpenGLInfo();

// The OpenGL and the GLX extension lists.
void WriteExtensionLists();

}  // namespace graphics
