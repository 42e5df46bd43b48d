#include "graphics/gl_capabilities.h"

#include <GL/glew.h>

namespace graphics {

gl_capabilities gl_caps;

gl_capabilities ReadGLCapabilities() {
    gl_capabilities caps;
    caps.multitexture = GLEW_ARB_multitexture;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &caps.texture_units);
    caps.separate_specular = GLEW_EXT_separate_specular_color;
    caps.fog_coord = GLEW_EXT_fog_coord;
    caps.cube_map = GLEW_ARB_texture_cube_map;
    caps.texture_3d = GLEW_EXT_texture3D;
    caps.shadow = GLEW_ARB_shadow;
    caps.shader_objects = GLEW_ARB_shader_objects;
    caps.framebuffer_object = GLEW_EXT_framebuffer_object;
    caps.texture_rectangle = GLEW_ARB_texture_rectangle;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &caps.max_texture_size);
    return caps;
}

}  // namespace graphics
