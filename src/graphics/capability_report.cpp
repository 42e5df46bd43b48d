#include "graphics/capability_report.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include <algorithm>
#include <new>
#include <string>

#include "kr/base/console.h"
#include "kr/base/error.h"

namespace graphics {
namespace {

using KR::console;

const char* GLText(GLenum what) {
    const auto* text = reinterpret_cast<const char*>(glGetString(what));
    return text ? text : "";
}

GLint GetInt(GLenum what) {
    GLint values[4] = {};
    glGetIntegerv(what, values);
    return values[0];
}

void WriteRange(const char* label, GLenum what) {
    GLint range[2] = {};
    glGetIntegerv(what, range);
    console << label << range[0] << " to " << range[1] << "\n";
}

// The extensions of the window system: GLX here.
const char* GLXExtensions() {
    Display* display = glXGetCurrentDisplay();
    if (!display) return nullptr;
    return glXQueryExtensionsString(display, DefaultScreen(display));
}

}  // namespace

void PrintGLExtStr(const char* extensions) {
    std::string copy;
    try {
        copy = extensions ? extensions : "";
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem("PrintGLExtStr", ": Temp string copy.");
    }
    std::replace(copy.begin(), copy.end(), ' ', '\n');
    console << copy;
}

void WriteOpenGLInfo() {
    console << "OpenGL info\n"
            << "-----------\n";
    console << "Version:    " << GLText(GL_VERSION) << "\nVendor:     " << GLText(GL_VENDOR)
            << "\nRenderer:   " << GLText(GL_RENDERER) << "\n\n";
    GLint viewport[2] = {};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    console << "Max Viewport: " << viewport[0] << " x " << viewport[1] << "\n";
    GLboolean flag = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &flag);
    console << "Doublebuffer: " << int(flag) << "\n";
    glGetBooleanv(GL_STEREO, &flag);
    console << "Stereo:       " << int(flag) << "\n\n";

    console << "Red Bits:      " << GetInt(GL_RED_BITS) << "\n";
    console << "Green Bits:    " << GetInt(GL_GREEN_BITS) << "\n";
    console << "Blue Bits:     " << GetInt(GL_BLUE_BITS) << "\n";
    console << "Alpha Bits:    " << GetInt(GL_ALPHA_BITS) << "\n";
    console << "Depth Bits:    " << GetInt(GL_DEPTH_BITS) << "\n";
    console << "Stencil Bits:  " << GetInt(GL_STENCIL_BITS) << "\n";
    console << "Subpixel Bits: " << GetInt(GL_SUBPIXEL_BITS) << "\n\n";

    console << "Max Lights:       " << GetInt(GL_MAX_LIGHTS) << "\n";
    console << "Max Tex Units:    " << GetInt(GL_MAX_TEXTURE_UNITS) << "\n";
    console << "Max Tex Size:     " << GetInt(GL_MAX_TEXTURE_SIZE) << "\n";
    console << "Max Clip Planes:  " << GetInt(GL_MAX_CLIP_PLANES) << "\n";
    console << "Max Vertices:     " << GetInt(GL_MAX_ELEMENTS_VERTICES) << "\n";
    console << "Max Indices:      " << GetInt(GL_MAX_ELEMENTS_INDICES) << "\n";
    console << "Max List Nesting: " << GetInt(GL_MAX_LIST_NESTING) << "\n\n";

    console << "Max Projection Stack:    " << GetInt(GL_MAX_PROJECTION_STACK_DEPTH) << "\n";
    console << "Max Modelview Stack:     " << GetInt(GL_MAX_MODELVIEW_STACK_DEPTH) << "\n";
    console << "Max Texture Stack:       " << GetInt(GL_MAX_TEXTURE_STACK_DEPTH) << "\n";
    console << "Max Client Attrib Stack: " << GetInt(GL_MAX_CLIENT_ATTRIB_STACK_DEPTH) << "\n";
    console << "Max Attrib Stack:        " << GetInt(GL_MAX_ATTRIB_STACK_DEPTH) << "\n\n";

    WriteRange("Aliased Point Size Range:     ", GL_ALIASED_POINT_SIZE_RANGE);
    WriteRange("Aliased Line Width Range:     ", GL_ALIASED_LINE_WIDTH_RANGE);
    WriteRange("Antialiased Point Size Range: ", GL_SMOOTH_POINT_SIZE_RANGE);
    WriteRange("Antialiased Line Width Range: ", GL_SMOOTH_LINE_WIDTH_RANGE);
    WriteRange("Smooth Point Size Range:      ", GL_SMOOTH_POINT_SIZE_RANGE);
    WriteRange("Smooth Line Width Range:      ", GL_SMOOTH_LINE_WIDTH_RANGE);
}

void WriteExtensionLists() {
    console << "\nOpenGL extensions\n"
            << "-----------------\n";
    PrintGLExtStr(GLText(GL_EXTENSIONS));
    if (const char* glx = GLXExtensions()) {
        console << "\nGLX extensions\n"
                << "----------------\n";
        PrintGLExtStr(glx);
    } else {
        console << "\nNo GLX extensions!\n";
    }
    console << "\n";
}

}  // namespace graphics
