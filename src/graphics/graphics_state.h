#pragma once
// The OpenGL objects and view values the set-up creates and the renderer uses. One instance;
// the named textures and materials themselves belong to the environment's libraries.

#include <cstdint>

namespace KR {
class Texture;
class Material;
}  // namespace KR

namespace graphics {

struct graphics_state {
    uint32_t shadow_texture = 0;
    uint32_t shadow_framebuffer = 0;  // 0: the shadow map is copied from the window
    uint32_t color_texture = 0;       // post-processing colour target (rectangle texture)
    uint32_t color_framebuffer = 0;
    uint32_t color_depth_buffer = 0;
    int postproc_supported = 0;

    // The 3D viewport inside the view's client area.
    int32_t view_offset = 0;
    int32_t view_width = 0;
    int32_t view_height = 0;
    float view_aspect = 1.0f;

    KR::Texture* tex_tree = nullptr;           // "Tree01"
    KR::Texture* tex_dist = nullptr;           // "Dist"
    KR::Texture* tex_dither = nullptr;         // "Dither"
    KR::Texture* tex_height = nullptr;         // "Height01"
    KR::Texture* tex_terrain_main = nullptr;   // "TerrainMain"
    KR::Texture* tex_water_normals = nullptr;  // "WaterWaveNormals"
    KR::Texture* tex_sky_clouds = nullptr;     // "SkyBoxClouds"
    KR::Texture* tex_sky_space = nullptr;      // "SkyBoxSpace"
    KR::Material* mat_terrain = nullptr;       // "Terrain"
    KR::Material* mat_water = nullptr;         // "Water"
};

inline graphics_state gl_state;

}  // namespace graphics
