// The water surface of a cluster: lit with a separate specular glint and blended over the
// tinted ground; on the shader path the "Water" program adds the waves, the sky reflection
// from the cloud cube map, the foam and an opacity that follows the view and the sun.

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/gl/material.h"
#include "kr/math/matrix.h"
#include "render/cluster_draw.h"
#include "terrain/app_settings.h"
#include "terrain/cluster.h"
#include "terrain/simulation_settings.h"

namespace render {
namespace {

using graphics::gl_state;

void UseWaterProgram(const cluster_pass& pass) {
    const KR::Shader& program = *graphics::water_program;
    program.Use();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_3D);
    Bind(gl_state.tex_water_normals);
    glActiveTexture(GL_TEXTURE0);

    // Carries object-space directions into the cube map's frame: the view's rotation undone
    // and the cube map's y mirrored.
    const KR::Vector4& view = pass.camera.view;
    KR::Matrix4x4 modelview;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
    KR::Matrix4x4 sky = KR::Matrix4x4::Scale(1, -1, 1);
    sky.RotateZ(-view.x);
    sky.RotateX(view.y);
    sky.RotateZ(view.w);
    sky *= modelview;

    KR::Vector4 to_eye = pass.camera.eye - pass.camera.target;
    to_eye.w = 0.0f;
    to_eye = to_eye.Normalized();

    program.SetUniform1f("uNear", pass.camera.near);
    program.SetUniform1f("uFar", pass.camera.far);
    program.SetUniform1i("SkyBox", 0);
    program.SetUniform1i("Noise1", 1);
    program.SetUniform1i("TexShadow", 3);
    program.SetUniformMatrix4fv("SkyMatrix4x4", sky.m, 1, false);
    program.SetUniform4fv("uWaterColor", &pass.colors.water.x);
    program.SetUniform4fv("uWildWaterColor", &pass.colors.wild.x);
    program.SetUniform1f("uMinAlpha", pass.min_alpha);
    program.SetUniform1f("uTexShadowSize", float(display.tex_shadow_size));
    program.SetUniform1i("uShowShadows", pass.shadows);
    program.SetUniform1f("uTime", sim_settings.animation_time);
    program.SetUniform4fv("uEye", &to_eye.x);
}

// Without a program the surface is the water colour itself, lit by the sun and laid over
// the tinted ground half transparent. The white material added on top (blending source alpha
// onto source alpha) washed every preset out to a white sheet; the glint stays, as the
// separate specular colour.
void TintWater(const cluster_pass& pass) {
    const KR::Vector4& w = pass.colors.water;
    const float b = pass.brightness > 0 ? pass.brightness : 1.0f;
    const float opacity = 0.6f + 0.4f * pass.min_alpha;  // low sun: less of the ground shows
    const float colour[4] = {w.x / b, w.y / b, w.z / b, opacity};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colour);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace

void DrawWaterSurface(const cluster_pass& pass) {
    if (gl_state.mat_water) gl_state.mat_water->Apply();
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Unit 0 looks the reflection up in the sky, turned with the view.
    glActiveTexture(GL_TEXTURE0);
    if (pass.shaders) {
        glEnable(GL_TEXTURE_CUBE_MAP);
        Bind(gl_state.tex_sky_clouds);
    }
    for (GLenum coordinate : {GL_S, GL_T, GL_R})
        glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glRotatef(-pass.camera.view.x, 0, 0, 1);
    glRotatef(-pass.camera.view.y, 1, 0, 0);
    glMatrixMode(GL_MODELVIEW);

    if (pass.shadows == 1) {
        glActiveTexture(GL_TEXTURE3);
        glEnable(GL_TEXTURE_2D);
        glActiveTexture(GL_TEXTURE0);
    }
    if (pass.shaders)
        UseWaterProgram(pass);
    else
        TintWater(pass);

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pass.WaterPositions());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, pass.WaterNormals());
    DrawFans(pass.c);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);

    if (pass.shaders) glUseProgramObjectARB(0);
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_TEXTURE_2D);
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1}) {
        glActiveTexture(unit);
        glDisable(GL_TEXTURE_3D);
    }
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
}

}  // namespace render
