#include "graphics/scene_programs.h"

#include <string>
#include <utility>

#include "graphics/gl_capabilities.h"
#include "kr/base/console.h"
#include "kr/base/data_files.h"
#include "kr/base/error.h"
#include "kr/gl/environment.h"

namespace graphics {

KR::Shader* water_program = nullptr;
KR::Shader* terrain_program = nullptr;
KR::Shader* sky_program = nullptr;
int shaders_ok = 0;

namespace {

std::function<void()>& PostProcessRebuild() {
    static std::function<void()> rebuild;
    return rebuild;
}

KR::Shader* LoadSceneProgram(const char* name, const char* vertex_file, const char* fragment_file) {
    const std::string vertex = KR::DataFilePath(vertex_file);
    const std::string fragment = KR::DataFilePath(fragment_file);
    return KR::environment.load_shader(name, vertex.c_str(), fragment.c_str(), 1);
}

}  // namespace

void SetPostProcessRebuild(std::function<void()> rebuild) {
    PostProcessRebuild() = std::move(rebuild);
}

void ReloadShaders() {
    shaders_ok = 0;
    // The library's clear destroys the old programs; nothing may point at them afterwards.
    water_program = terrain_program = sky_program = nullptr;
    if (!gl_caps.shader_objects) {
        KR::console << "Shader support not found! Shader options not avaliable, using only fixed "
                       "functionality!\n";
        return;
    }
    try {
        KR::environment.clear_shaders();
        shaders_ok = 0;
        water_program = LoadSceneProgram("Water", "water.vert", "water.frag");
        terrain_program = LoadSceneProgram("Terrain", "terrain.vert", "terrain.frag");
        sky_program = LoadSceneProgram("Sky", "sky.vert", "sky.frag");
        KR::console << "All shaders succesfully compiled and linked.\n\n";
        shaders_ok = 1;
    } catch (const KR::Error& error) {
        KR::console << "\nProblems with shaders: " << error.Message()
                    << "\nUsing fixed functionality!\n";
    }
    if (PostProcessRebuild()) PostProcessRebuild()();
}

}  // namespace graphics

namespace graphics {

void ReleaseShaders() {
    shaders_ok = 0;
    water_program = terrain_program = sky_program = nullptr;
    KR::environment.clear_shaders();
}

}  // namespace graphics
