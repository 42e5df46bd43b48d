#include "graphics/scene_materials.h"

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "kr/gl/environment.h"

namespace graphics {
namespace {

KR::Material* CreateMaterial(const char* name, float shininess, float ambient, float specular) {
    KR::Material* m = KR::environment.materials.add(name);
    m->SetShininess(shininess, -1);
    m->SetFace(GL_FRONT_AND_BACK, -1);
    m->SetColor(KR::kMatAmbient, ambient, ambient, ambient, 1.0f, -1);
    m->SetColor(KR::kMatDiffuse, 1.0f, 1.0f, 1.0f, 1.0f, -1);
    m->SetColor(KR::kMatSpecular, specular, specular, specular, 1.0f, -1);
    return m;
}

}  // namespace

void CreateSceneMaterials() {
    gl_state.mat_terrain = CreateMaterial("Terrain", 128.0f, 0.3f, 0.0f);
    gl_state.mat_water = CreateMaterial("Water", 125.0f, 0.2f, 1.0f);
}

}  // namespace graphics
