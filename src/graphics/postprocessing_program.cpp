#include "graphics/postprocessing_program.h"

#include <fstream>

#include "graphics/gl_capabilities.h"
#include "graphics/graphics_state.h"
#include "graphics/scene_programs.h"
#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/gl/shader.h"
#include "kr/image/texture.h"
#include "terrain/app_settings.h"

namespace graphics {

postproc_settings postproc;
KR::Shader* postproc_program = nullptr;

namespace {

// The copies only show the user what was compiled; a folder we cannot write to does not
// stop the build.
void WriteCopy(const char* file_name, const std::string& text) {
    std::ofstream(file_name, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

void GeneratePostProcessing() {
    if (!gl_caps.shader_objects) return;
    postproc_sizes sizes;
    sizes.water_wave = textures.water_size;
    // Made after the first generation at start-up; until then there is nothing to scale by.
    sizes.dist = gl_state.tex_dist ? gl_state.tex_dist->width : 0;
    BuildPostProcessing(PostProcVertexText(), PostProcFragmentText(postproc.options, sizes));
}

void BuildPostProcessing(const std::string& vertex_text, const std::string& fragment_text) {
    if (!gl_caps.shader_objects) return;
    // Written before compiling, so that the files show a text that fails.
    WriteCopy("postproc.vert", vertex_text);
    WriteCopy("postproc.frag", fragment_text);
    try {
        if (!postproc_program)
            postproc_program = new KR::Shader("PostProc", nullptr, nullptr, 0);
        else
            postproc_program->Destroy();
        postproc_program->Load(KR::kVertexShader, vertex_text.c_str(), 0);
        postproc_program->Load(KR::kFragmentShader, fragment_text.c_str(), 0);
        // Checked on the first build as well: an unlinked program must not reach the frame.
        if (!postproc_program->Link()) throw KR::Error("Could not link.", "");
    } catch (const KR::Error& error) {
        KR::console << "\nProblems with post processing shaders:" << error.Message()
                    << "\nUsing fixed functionality!\n";
        shaders_ok = 0;
    }
}

void SetPostProcUniforms(float width, float height, float time) {
    if (!postproc_program) return;
    const KR::Shader& program = *postproc_program;
    program.SetUniform1i("uTex", 0);
    program.SetUniform1i("uNorm", 1);
    program.SetUniform1i("uDither", 2);
    program.SetUniform1i("uDist", 3);
    program.SetUniform1f("width", width);
    program.SetUniform1f("height", height);
    program.SetUniform1f("time", time);
    const float param[2] = {postproc.param.x, postproc.param.y};
    program.SetUniform2fv("param", param);
    const float mid[2] = {width * postproc.mid.x, height * postproc.mid.y};
    program.SetUniform2fv("mid", mid);
    const float hsl[4] = {postproc.HSL.x, postproc.HSL.y, postproc.HSL.z, postproc.HSL.w};
    program.SetUniform4fv("HSL", hsl);
}

void ReleasePostProcessing() {
    delete postproc_program;
    postproc_program = nullptr;
}

}  // namespace graphics
