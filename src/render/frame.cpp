// One frame: the post-processing redirect, camera and lights, the shadow map from the sun,
// the sky, the cursor, objects and clusters, the overlays, the post-processing pass and the
// swap, with an OpenGL error check after every stage.

#include "render/frame.h"

#include <GL/glew.h>

#include <cmath>
#include <string>

#include "graphics/gl_capabilities.h"
#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/gl/gl_check.h"
#include "kr/math/matrix.h"
#include "render/object_draw.h"
#include "render/postprocess_pass.h"
#include "render/scene_marks.h"
#include "render/shadow_pass.h"
#include "render/sky_box.h"
#include "terrain/scene_box.h"
#include "terrain/scene_colors.h"
#include "terrain/sun_light.h"
#include "terrain/terrain.h"

namespace render {
namespace {

std::function<void()>& SwapHook() {
    static std::function<void()> hook;
    return hook;
}

// The stage texts are whole literals: a frame allocates nothing.
#define QOR_FRAME_CHECK(stage) KR::CheckGLError("terrain.cpp: Draw(): Main GL check " stage)

void SetLights(const sun_light& light) {
    const float position[4] = {light.position.x, light.position.y, light.position.z, 0};
    const struct {
        GLenum name;
        const light_colors& colours;
    } lights[2] = {{GL_LIGHT0, light.light0}, {GL_LIGHT1, light.light1}};
    for (const auto& l : lights) {
        glLightfv(l.name, GL_AMBIENT, &l.colours.ambient.x);
        glLightfv(l.name, GL_DIFFUSE, &l.colours.diffuse.x);
        glLightfv(l.name, GL_SPECULAR, &l.colours.specular.x);
        glLightfv(l.name, GL_POSITION, position);
        glLightf(l.name, GL_CONSTANT_ATTENUATION, 0);
        glLightf(l.name, GL_LINEAR_ATTENUATION, 0);
        glLightf(l.name, GL_QUADRATIC_ATTENUATION, 0);
        glLightf(l.name, GL_SPOT_CUTOFF, 180);
    }
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
}

// Eye-linear coordinates on unit 3 that are world coordinates under the loaded view, carried
// into the shadow map by its texture matrix.
void BindShadowMap(const KR::Matrix4x4& texture_matrix) {
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, graphics::gl_state.shadow_texture);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(texture_matrix.m);
    glMatrixMode(GL_MODELVIEW);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
    static constexpr float kPlanes[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const GLenum coordinates[4] = {GL_S, GL_T, GL_R, GL_Q};
    const GLenum gens[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
    for (int k = 0; k < 4; ++k) {
        glTexGeni(coordinates[k], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
        glTexGenfv(coordinates[k], GL_EYE_PLANE, kPlanes[k]);
        glEnable(gens[k]);
    }
    glActiveTexture(GL_TEXTURE0);
}

void UnbindShadowMap() {
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_TEXTURE_2D);
    for (GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q})
        glDisable(gen);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
}

}  // namespace

void SetSwapHook(std::function<void()> swap) {
    SwapHook() = std::move(swap);
}

}  // namespace render

void terrain::Draw() {
    using namespace render;
    const auto& gl = graphics::gl_state;
    const display_settings& d = *display_options;
    const bool shader_path = graphics::shaders_ok && d.use_shaders;

    QOR_FRAME_CHECK("(start): ");
    const bool post = PostProcessingActive();
    if (post) {
        glPushAttrib(GL_VIEWPORT_BIT);
        glViewport(0, 0, gl.view_width, gl.view_height);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gl.color_framebuffer);
    }
    glDepthFunc(GL_LEQUAL);
    glClearDepth(1.0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_NORMALIZE);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
        glActiveTexture(unit);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glActiveTexture(GL_TEXTURE0);

    KR::Vector4 box[8];
    SceneBox(*this, box);
    camera_info camera;
    UpdateCamera(box, &camera);
    KR::Matrix4x4 V, P;
    glGetFloatv(GL_MODELVIEW_MATRIX, V.m);
    glGetFloatv(GL_PROJECTION_MATRIX, P.m);
    const sun_light light = SunLight(extent, box_min, box_max, sun, box);
    QOR_FRAME_CHECK("(init): ");

    if (d.show_shadows) {
        DrawShadowMap(*this, light, post);
        QOR_FRAME_CHECK("(shadow map render): ");
    }

    if (d.show_sky) {
        sky_view sky;
        sky.view = view;
        sky.field_of_view = d.field_of_view;
        sky.aspect = gl.view_aspect;
        sky.far = std::sqrt(extent.x * extent.x + extent.y * extent.y);
        sky.light = light.sky_light;
        sky.light_normal = light.sky_normal;
        sky.brightness = light.brightness;
        sky.shader_path = shader_path;
        DrawSkyBox(sky);
    }

    QOR_FRAME_CHECK("(scene render start): ");
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(d.light_view ? light.projection.m : P.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(d.light_view ? light.view.m : V.m);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    SetLights(light);

    if (settings->mode == 1 || settings->mode == 2)
        DrawEditingCursor(*this, settings->mode, light.position, light.up);

    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, gl.shadow_texture);
    glActiveTexture(GL_TEXTURE0);
    if (d.show_shadows) {
        if (!shader_path) {
            // The ambient pass: everything in the shadow light only, water left out.
            glEnable(GL_LIGHT1);
            for (const shown_object& o : shown_objects)
                render::Draw(o, false, false);
            for (unsigned c = 0; c < cluster_count; ++c)
                clusters[c].Draw(camera, view_pos, sun, 0, box_min);
            glDisable(GL_LIGHT1);
        }
        BindShadowMap(light.shadow_matrix);
    }

    glEnable(GL_LIGHT0);
    QOR_FRAME_CHECK("(draw init): ");
    for (const shown_object& o : shown_objects)
        render::Draw(o, false, o.selected);
    QOR_FRAME_CHECK("(objects): ");
    for (unsigned c = 0; c < cluster_count; ++c)
        clusters[c].Draw(camera, view_pos, sun, d.show_shadows, box_min);
    QOR_FRAME_CHECK("(clusters): ");
    glDisable(GL_LIGHT0);

    if (d.light_view) {
        KR::Vector4 frustum[8];
        FrustumCorners(V, d.field_of_view, gl.view_aspect, camera.near, camera.far, frustum);
        DrawLightViewOverlay(box, frustum);
    }
    if (d.show_shadows) UnbindShadowMap();
    if (d.show_box) DrawAquariumBox(*this, settings->z_aquarium);
    QOR_FRAME_CHECK("(finish): ");

    if (post) {
        DrawPostProcessing(settings->animation_time);
        QOR_FRAME_CHECK("(postproc): ");
    }
    glFlush();
    if (SwapHook()) SwapHook()();
    QOR_FRAME_CHECK("(flush): ");
}

void terrain::DrawShadowCasters() {
    for (unsigned c = 0; c < cluster_count; ++c)
        clusters[c].DrawShadowCasters(box_min);
}
