#include "render/shadow_pass.h"

#include <GL/glew.h>

#include <algorithm>

#include "graphics/graphics_state.h"
#include "render/object_draw.h"
#include "terrain/sun_light.h"
#include "terrain/terrain.h"

namespace render {

void DrawShadowMap(terrain& t, const sun_light& light, bool post) {
    const auto& gl = graphics::gl_state;
    const int S = t.display_options->tex_shadow_size;
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(light.projection.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(light.view.m);

    if (gl.shadow_framebuffer) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gl.shadow_framebuffer);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, S, S);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(2.0f, 2.0f);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    for (const shown_object& o : t.shown_objects)
        DrawPlain(o);
    t.DrawShadowCasters();
    glFlush();

    if (gl.shadow_framebuffer) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, post ? gl.color_framebuffer : 0);
    } else {
        // Only what the window holds can be copied: a map larger than the window keeps its
        // old depths beyond it instead of reading outside the frame buffer.
        const int w = std::min(S, gl.view_offset + gl.view_width);
        const int h = std::min(S, gl.view_height);
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_2D, gl.shadow_texture);
        if (w > 0 && h > 0) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
        glActiveTexture(GL_TEXTURE0);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_CULL_FACE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPopAttrib();
}

}  // namespace render
