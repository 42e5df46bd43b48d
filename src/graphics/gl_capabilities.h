#pragma once
// What the driver offers that the program asks about: extensions and a few limits. Read once
// at set-up; everything after that asks this record rather than the driver, so that a test
// can take an extension away and see the program run with less.

namespace graphics {

struct gl_capabilities {
    bool multitexture = false;        // GL_ARB_multitexture
    int texture_units = 0;            // GL_MAX_TEXTURE_UNITS
    bool separate_specular = false;   // GL_EXT_separate_specular_color
    bool fog_coord = false;           // GL_EXT_fog_coord
    bool cube_map = false;            // GL_ARB_texture_cube_map
    bool texture_3d = false;          // GL_EXT_texture3D
    bool shadow = false;              // GL_ARB_shadow
    bool shader_objects = false;      // GL_ARB_shader_objects
    bool framebuffer_object = false;  // GL_EXT_framebuffer_object
    bool texture_rectangle = false;   // GL_ARB_texture_rectangle
    int max_texture_size = 0;
};

// Asks the current context (GLEW must be initialised).
gl_capabilities ReadGLCapabilities();

// The capabilities the program runs with.
extern gl_capabilities gl_caps;

}  // namespace graphics
