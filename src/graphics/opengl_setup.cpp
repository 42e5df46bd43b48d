#include "graphics/opengl_setup.h"

#include <GL/glew.h>

#include <algorithm>

#include "graphics/capability_report.h"
#include "graphics/framebuffers.h"
#include "graphics/gl_requirements.h"
#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_materials.h"
#include "graphics/scene_programs.h"
#include "graphics/scene_textures.h"
#include "graphics/texture_sizes.h"
#include "kr/base/console.h"
#include "kr/base/data_files.h"
#include "kr/gl/environment.h"
#include "kr/gl/gl_check.h"
#include "kr/gl/glew_init.h"
#include "kr/base/utils.h"
#include "terrain/app_settings.h"

namespace graphics {

namespace {

using KR::console;

void WritePostprocessingSupport(const gl_capabilities& caps) {
    console << "\nPostprocessing\n"
            << "--------------\n";
    if (caps.texture_rectangle && caps.framebuffer_object) {
        gl_state.postproc_supported = 1;
        console << "  Supported. (framebuffer object and texture rectangle supported)\n\n";
    } else {
        gl_state.postproc_supported = 0;
        console << "  Not supported! (framebuffer object = "
                << (caps.framebuffer_object ? "OK" : "NOT")
                << ", texture rectangle = " << (caps.texture_rectangle ? "OK" : "NOT") << ")\n\n";
    }
}

KR::Texture* LoadTextureFile(const char* file, const char* name) {
    return KR::environment.load_texture(GL_TEXTURE_2D, KR::DataFilePath(file).c_str(), name,
                                        KR::kTextureScale | KR::kTextureBuild);
}

void CreateTextures(const gl_capabilities& caps) {
    console << "Textures\n"
            << "--------\n";
    display.tex_shadow_size =
        ChooseShadowSize(display.tex_shadow_size, caps.framebuffer_object, caps.max_texture_size);
    CreateShadowTexture(display.tex_shadow_size, true);
    gl_state.tex_tree = LoadTextureFile("tex/tree2.tex", "Tree01");
    gl_state.tex_dist = LoadTextureFile("tex/norm.bmp", "Dist");
    gl_state.tex_dither = CreateDitherTexture();
    gl_state.tex_height = CreateContourTexture();
    gl_state.tex_terrain_main = CreateTerrainMainTexture();
    textures.water_size = FitWaterSize(textures.water_size);
    textures.water_frames = FitWaterFrames(textures.water_frames);
    gl_state.tex_water_normals = CreateWaterWaveTexture(textures.water_size, textures.water_frames);
    CreateSkyBoxTextures(0, -1, -1, -1);
}

}  // namespace

void SetUpOpenGL(const setup_options& options) {
    const double start = KR::GetTime();
    KR::GLEWInit();
    KR::environment.init();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    WriteOpenGLInfo();
    WriteExtensionLists();
    gl_caps = ReadGLCapabilities();
    if (options.adjust_capabilities) options.adjust_capabilities(gl_caps);
    CheckOpenGLRequirements(gl_caps);

    console << "Shaders\n"
            << "-------\n";
    SetPostProcessRebuild(GeneratePostProcessing);
    ReloadShaders();
    WritePostprocessingSupport(gl_caps);
    CreateTextures(gl_caps);
    CreateSceneMaterials();
    SetUpShadowFramebuffer(gl_caps);

    KR::CheckGLError("main.cpp: SetUpOpenGL(): ");
    console << "\nInit complete in " << KR::GetTime() - start << " sec, starting loop....\n";
}

void UpdateView(const view_layout& layout) {
    gl_state.view_offset = 0;
    if (!layout.toolbox_visible) {
        gl_state.view_width = layout.client_width;
    } else {
        if (layout.toolbox_width >= 0) gl_state.view_offset = layout.toolbox_width;
        gl_state.view_width = std::max(layout.client_width - gl_state.view_offset, 0);
    }
    gl_state.view_height = layout.client_height;
    // Without an area (minimised, or the toolbox covers it) the aspect keeps its last value
    // rather than become 0 or infinite, which would break the projection.
    if (gl_state.view_width <= 0 || gl_state.view_height <= 0) return;
    gl_state.view_aspect = float(gl_state.view_width) / float(gl_state.view_height);

    glViewport(gl_state.view_offset, 0, gl_state.view_width, gl_state.view_height);
    if (gl_state.postproc_supported == 1)
        CreateColorTarget(gl_state.view_width, gl_state.view_height);
    if (postproc_program) postproc_program->Link();
    KR::CheckGLError("main.cpp: UpdateView(): ");
}

void ReleaseOpenGL() {
    if (gl_caps.shader_objects) ReleaseShaders();
    ReleasePostProcessing();
    DeleteFramebuffers();
    KR::environment.release();
    gl_state = graphics_state{};
}

}  // namespace graphics
