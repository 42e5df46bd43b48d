#include "render/sky_box.h"

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/gl/shader.h"
#include "kr/math/matrix.h"
#include "kr/image/texture.h"

namespace render {
namespace {

// Reflection-map coordinates on the active unit's S, T and R.
void ReflectionMap(bool on) {
    for (GLenum coordinate : {GL_S, GL_T, GL_R}) {
        if (on) glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    }
    for (GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) {
        if (on)
            glEnable(gen);
        else
            glDisable(gen);
    }
}

void BindCube(const KR::Texture* texture) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture ? texture->texture_name : 0);
}

// A cube of half-size 1 whose inside faces are front faces.
void DrawInsideCube() {
    static constexpr float kFaces[6][4][3] = {
        {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}},
        {{-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}},
        {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},
        {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
        {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
        {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
    };
    glBegin(GL_QUADS);
    glNormal3f(0, -1, 0);
    for (const auto& face : kFaces)
        for (const auto& corner : face)
            glVertex3fv(corner);
    glEnd();
}

}  // namespace

void DrawSkyBox(const sky_view& sky) {
    const auto& gl = graphics::gl_state;
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT, GL_FILL);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(sky.field_of_view, sky.aspect, 0.1, sky.far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glActiveTexture(GL_TEXTURE2);
    glEnable(GL_TEXTURE_CUBE_MAP);
    BindCube(gl.tex_sky_space);
    ReflectionMap(true);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glRotatef(sky.view.x, 0, 0, 1);
    glRotatef(sky.view.y, -1, 0, 0);
    glRotatef(sky.view.w, 0, 0, -1);
    glMatrixMode(GL_MODELVIEW);

    const KR::Shader* program = sky.shader_path ? graphics::sky_program : nullptr;
    if (program) {
        KR::Matrix4x4 texture_matrix, modelview;
        glGetFloatv(GL_TEXTURE_MATRIX, texture_matrix.m);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
        glActiveTexture(GL_TEXTURE3);
        glEnable(GL_TEXTURE_CUBE_MAP);
        BindCube(gl.tex_sky_clouds);
        ReflectionMap(true);
        program->Use();
        const KR::Matrix4x4 sky_matrix = texture_matrix * modelview;
        program->SetUniformMatrix4fv("SkyMatrix4x4", sky_matrix.m, 1, false);
        program->SetUniform1i("SkyBoxClouds", 3);
        program->SetUniform1i("SkyBoxSpace", 2);
        const float light[3] = {sky.light.x, sky.light.y, sky.light.z};
        program->SetUniform3fv("uLight", light);
        program->SetUniformMatrix4fv("SkyMatrix4x4_normal", sky.light_normal.m, 1, false);
    }

    glColor4f(sky.brightness, sky.brightness, sky.brightness, 1);
    DrawInsideCube();

    if (program) {
        glUseProgramObjectARB(0);
        glActiveTexture(GL_TEXTURE3);
        glDisable(GL_TEXTURE_CUBE_MAP);
        ReflectionMap(false);
        glActiveTexture(GL_TEXTURE2);
    }
    glActiveTexture(GL_TEXTURE2);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_CUBE_MAP);
    ReflectionMap(false);
    glActiveTexture(GL_TEXTURE0);
}

}  // namespace render
