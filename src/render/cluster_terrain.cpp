// The ground of a cluster: the main texture twice (a detail copy per grid step and one copy
// over the cluster), the contour ramp over the height, lighting, and fog over the water depth
// that fades submerged ground into the water colour; or the "Terrain" program given the same.

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/gl/material.h"
#include "render/cluster_draw.h"
#include "terrain/app_settings.h"
#include "terrain/cluster.h"

namespace render {
namespace {

using graphics::gl_state;

void ObjectPlane(GLenum coordinate, float a, float b, float c) {
    const float plane[4] = {a, b, c, 0.0f};
    glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(coordinate, GL_OBJECT_PLANE, plane);
}

// Texture units 0 to 2 with coordinates generated from the position.
void EnableTextures(const cluster& c) {
    glActiveTexture(GL_TEXTURE2);
    glEnable(GL_TEXTURE_1D);
    Bind(gl_state.tex_height);
    ObjectPlane(GL_S, 0, 0, 1.0f / 30);  // the ramp repeats every 30 height units
    glEnable(GL_TEXTURE_GEN_S);

    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    Bind(gl_state.tex_terrain_main);
    ObjectPlane(GL_S, 1.0f / float(c.size_x), 0, 0);
    ObjectPlane(GL_T, 0, 1.0f / float(c.size_y), 0);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    Bind(gl_state.tex_terrain_main);
    ObjectPlane(GL_S, 1, 0, 0);
    ObjectPlane(GL_T, 0, 1, 0);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

void DisableTextures() {
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glActiveTexture(GL_TEXTURE2);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_1D);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_2D);
    }
}

// Hands the "Terrain" program its samplers and scales; answers the location of "aWater".
int UseTerrainProgram(int shadows) {
    const KR::Shader& program = *graphics::terrain_program;
    program.Use();
    // The wave normals are only bound: a program ignores the enables, and a driver with
    // four fixed-function units would refuse one on unit 4.
    glActiveTexture(GL_TEXTURE4);
    Bind(gl_state.tex_water_normals);
    glActiveTexture(GL_TEXTURE0);
    program.SetUniform1f("ScaleX", 100.0f);
    program.SetUniform1f("ScaleY", 100.0f);
    program.SetUniform1f("ScaleZ", 30.0f);
    program.SetUniform1i("TexDetail", 0);
    program.SetUniform1i("TexMain", 1);
    program.SetUniform1i("TexHeight", 2);
    program.SetUniform1i("TexShadow", 3);
    program.SetUniform1i("Noise1", 4);
    program.SetUniform1f("uTexShadowSize", float(display.tex_shadow_size));
    program.SetUniform1i("uShowShadows", shadows);
    return program.GetAttribLocation("aWater");
}

}  // namespace

void DrawTerrainMesh(const cluster_pass& pass) {
    EnableTextures(pass.c);
    if (gl_state.mat_terrain) gl_state.mat_terrain->Apply();
    glEnable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_BACK, GL_LINE);
    glColor4f(1, 1, 1, 1);

    // The depth is the fog coordinate: the deeper the ground lies, the more of the water
    // colour covers it.
    const KR::Vector4& water = pass.colors.water;
    const float fog_colour[4] = {water.x, water.y, water.z, water.w};
    glFogi(GL_FOG_COORDINATE_SOURCE, GL_FOG_COORDINATE);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glFogfv(GL_FOG_COLOR, fog_colour);
    glEnable(GL_FOG);

    if (pass.shadows == 1) {
        // The shadow test answers 0 in shadow; as alpha it lets the ambient pass show through.
        glActiveTexture(GL_TEXTURE3);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glActiveTexture(GL_TEXTURE0);
    }
    const int water_attribute = pass.shaders ? UseTerrainProgram(pass.shadows) : -1;

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pass.TerrainPositions());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, pass.TerrainNormals());
    if (!pass.shaders) {
        glEnableClientState(GL_FOG_COORDINATE_ARRAY);
        glFogCoordPointer(GL_FLOAT, 0, pass.Depths());
    } else if (water_attribute >= 0) {
        glEnableVertexAttribArray(GLuint(water_attribute));
        glVertexAttribPointer(GLuint(water_attribute), 1, GL_FLOAT, GL_FALSE, 0, pass.Depths());
    }

    DrawFans(pass.c);

    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (!pass.shaders) glDisableClientState(GL_FOG_COORDINATE_ARRAY);
    if (water_attribute >= 0) glDisableVertexAttribArray(GLuint(water_attribute));
    if (pass.shaders) glUseProgramObjectARB(0);
    DisableTextures();
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
}

}  // namespace render
