#include "render/postprocess_pass.h"

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_programs.h"
#include "kr/gl/shader.h"
#include "kr/image/texture.h"
#include "terrain/app_settings.h"

namespace render {
namespace {

void Bind(GLenum unit, GLenum target, const KR::Texture* texture) {
    glActiveTexture(unit);
    glEnable(target);
    glBindTexture(target, texture ? texture->texture_name : 0);
}

}  // namespace

bool PostProcessingActive() {
    return display.postproc_enable && graphics::gl_state.postproc_supported == 1 &&
           display.use_shaders;
}

void DrawPostProcessing(float animation_time) {
    const auto& gl = graphics::gl_state;
    const float W = float(gl.view_width), H = float(gl.view_height);
    glPopAttrib();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, 1, -1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearDepth(1.0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_RECTANGLE_ARB);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, gl.color_texture);
    Bind(GL_TEXTURE1, GL_TEXTURE_3D, gl.tex_water_normals);
    Bind(GL_TEXTURE2, GL_TEXTURE_2D, gl.tex_dither);
    Bind(GL_TEXTURE3, GL_TEXTURE_2D, gl.tex_dist);
    glActiveTexture(GL_TEXTURE5);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // A program that failed to build stays in place unlinked; the shader path is then off.
    const bool shader_path = graphics::shaders_ok && graphics::postproc_program;
    if (shader_path) {
        graphics::postproc_program->Use();
        graphics::SetPostProcUniforms(W, H, animation_time);
    }

    const float t = animation_time;
    const float dither_w =
        gl.tex_dither && gl.tex_dither->width > 0 ? float(gl.tex_dither->width) : 1;
    const float dither_h =
        gl.tex_dither && gl.tex_dither->height > 0 ? float(gl.tex_dither->height) : 1;
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        glMultiTexCoord2f(GL_TEXTURE0, c[0] * W, c[1] * H);
        glMultiTexCoord3f(GL_TEXTURE1, c[0], c[1], t);
        glMultiTexCoord2f(GL_TEXTURE2, c[0] * W / dither_w, c[1] * H / dither_h);
        glMultiTexCoord2f(GL_TEXTURE3, c[0], c[1]);
        glVertex3f(c[0], c[1], 0);
    }
    glEnd();

    if (shader_path) glUseProgramObjectARB(0);
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE2);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_3D);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_RECTANGLE_ARB);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
}

}  // namespace render
