#include "graphics/framebuffers.h"

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/scene_textures.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "terrain/app_settings.h"

namespace graphics {
namespace {

constexpr int32_t kCopiedShadowSize = 512;

void DeleteFramebuffer(uint32_t& name) {
    if (name == 0) return;
    const GLuint fb = name;
    glDeleteFramebuffersEXT(1, &fb);
    name = 0;
}

void DeleteRenderbuffer(uint32_t& name) {
    if (name == 0) return;
    const GLuint rb = name;
    glDeleteRenderbuffersEXT(1, &rb);
    name = 0;
}

void DeleteTexture(uint32_t& name) {
    if (name == 0) return;
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
    name = 0;
}

}  // namespace

void SetUpShadowFramebuffer(const gl_capabilities& caps) {
    using KR::console;
    console << "\nFramebuffer\n"
            << "-----------\n";
    bool complete = false;
    if (caps.framebuffer_object) {
        GLuint fb = 0;
        glGenFramebuffersEXT(1, &fb);
        gl_state.shadow_framebuffer = fb;
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fb);
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                  gl_state.shadow_texture, 0);
        const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
        // Drawing goes on into the window whatever the outcome.
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        if (status == GL_FRAMEBUFFER_COMPLETE_EXT) {
            complete = true;
            console << "Using Framebuffer Object to render shadow map.\n";
        } else if (status == GL_FRAMEBUFFER_UNSUPPORTED_EXT) {
            console << "Frame Buffer Object shadow: configuration unsupported\n";
        } else {
            console << "Frame Buffer Object shadow: programmer error\n";
        }
    }
    if (complete) return;
    if (gl_state.shadow_framebuffer != 0) {
        DeleteFramebuffer(gl_state.shadow_framebuffer);
        DeleteFramebuffer(gl_state.color_framebuffer);
        display.tex_shadow_size = kCopiedShadowSize;
        CreateShadowTexture(kCopiedShadowSize, false);
    }
    console << "GL_EXT_framebuffer_object not supported. Using glCopyTexSubImage2D() to render "
               "shadow map, requires window at least 512x512 to render corectly.\n";
}

void CreateColorTarget(int32_t width, int32_t height) {
    DeleteTexture(gl_state.color_texture);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) throw KR::Error("UpdateView", ": Can't create color framebuffer texture.");
    gl_state.color_texture = texture;
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    DeleteRenderbuffer(gl_state.color_depth_buffer);
    DeleteFramebuffer(gl_state.color_framebuffer);
    GLuint fb = 0, depth = 0;
    glGenFramebuffersEXT(1, &fb);
    gl_state.color_framebuffer = fb;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fb);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                              GL_TEXTURE_RECTANGLE_ARB, texture, 0);
    glGenRenderbuffersEXT(1, &depth);
    gl_state.color_depth_buffer = depth;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depth);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    // Unbound in every case: an incomplete frame buffer left bound would fail every frame.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (status == GL_FRAMEBUFFER_COMPLETE_EXT) return;
    if (status == GL_FRAMEBUFFER_UNSUPPORTED_EXT)
        KR::console << "Frame Buffer Object color: configuration unsupported\n";
    gl_state.postproc_supported = 0;
}

void DeleteFramebuffers() {
    if (gl_state.shadow_framebuffer || gl_state.color_framebuffer)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    DeleteFramebuffer(gl_state.shadow_framebuffer);
    DeleteFramebuffer(gl_state.color_framebuffer);
    DeleteRenderbuffer(gl_state.color_depth_buffer);
    DeleteTexture(gl_state.shadow_texture);
    DeleteTexture(gl_state.color_texture);
}

}  // namespace graphics
