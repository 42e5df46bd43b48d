// One cluster's part of a frame, in order: ground, aquarium and soil walls, debug views,
// water and trees; and its ground as bare geometry for the shadow map and picking.

#include "render/cluster_draw.h"

#include <GL/glew.h>

#include "graphics/gl_capabilities.h"
#include "graphics/scene_programs.h"
#include "render/vegetation.h"
#include "terrain/app_settings.h"
#include "terrain/cluster.h"
#include "terrain/simulation_settings.h"

namespace render {

const float* cluster_pass::TerrainPositions() const {
    return c.vertex_data.data() + c.terrain_pos_offset;
}
const float* cluster_pass::TerrainNormals() const {
    return c.vertex_data.data() + c.terrain_normal_offset;
}
const float* cluster_pass::Depths() const {
    return c.vertex_data.data() + c.depth_offset;
}
const float* cluster_pass::WaterPositions() const {
    return c.vertex_data.data() + c.water_pos_offset;
}
const float* cluster_pass::WaterNormals() const {
    return c.vertex_data.data() + c.water_normal_offset;
}

// Straight from the cluster's arrays: a buffer object for the fixed index list measured no
// faster on the software rasteriser, where the vertex work dominates.
void DrawFans(const cluster& c) {
    const GLsizei count = GLsizei(kIndicesPerQuad) * c.quads_x * c.quads_y;
    glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, c.indices.data());
}

}  // namespace render

void cluster::Draw(const camera_info& camera, const KR::Vector4& /*target*/, const KR::Vector4& sun,
                   int shadows, float box_min) {
    if (vertex_data.empty() || indices.empty()) return;
    const bool shaders = graphics::gl_caps.shader_objects && graphics::shaders_ok &&
                         graphics::terrain_program && graphics::water_program &&
                         display.use_shaders;
    const float brightness = SunBrightness(sun.y);
    const render::cluster_pass pass{*this,         camera,
                                    shaders,       shadows,
                                    brightness,    WaterColors(display.water_color, brightness),
                                    sun.y / 90.0f, box_min};
    glShadeModel(GL_SMOOTH);

    if (display.show_terrain) {
        render::DrawTerrainMesh(pass);
        if (sim_settings.aquarium) render::DrawAquariumWalls(pass);
        render::DrawSoilWalls(pass);
    }
    if (display.show_debug) render::DrawDebugViews(pass, display.show_debug);
    // With shadows on, the fixed path draws the ground twice (ambient, then lit and
    // shadowed); the water belongs to the lit pass only.
    if (display.show_water && (!display.show_shadows || shadows == 1))
        render::DrawWaterSurface(pass);
    if (display.show_vegetation) render::DrawVegetation(*this, camera);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void cluster::DrawShadowCasters(float box_min) {
    if (vertex_data.empty() || indices.empty()) return;
    const float* positions = vertex_data.data() + terrain_pos_offset;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions);
    render::DrawFans(*this);
    glDisableClientState(GL_VERTEX_ARRAY);
    render::wall_heights walls;
    walls.top = positions;
    walls.floor = box_min;
    render::EmitEdgeWalls(*this, walls);
}
