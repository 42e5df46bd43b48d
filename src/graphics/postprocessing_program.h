#pragma once
// The post-processing program "PostProc", generated from the toolbox's choices and rebuilt in
// place whenever they change, so that the frame keeps drawing with the same KR::Shader.

#include <string>

#include "graphics/postprocessing_text.h"
#include "kr/math/vector.h"

namespace KR {
class Shader;
}

namespace graphics {

// What the post-processing page and the Shift+Ctrl drags set; the shell writes these.
struct postproc_settings {
    postproc_options options;
    KR::Vector2 mid{0.5f, 0.5f};              // centre of the transform, as fractions of the view
    KR::Vector2 param{0.5f, 0.5f};            // the transform's two parameters, 0..1 each
    KR::Vector4 HSL{0.0f, 1.0f, 1.0f, 0.0f};  // hue shift (degrees), saturation, lightness
};

extern postproc_settings postproc;

// None until the first generation. It is kept out of the environment's shader library, so
// that a reload of the scene programs does not destroy it.
extern KR::Shader* postproc_program;

// Generates the texts from postproc.options, writes them to "postproc.vert" and
// "postproc.frag" in the working directory and builds "PostProc" from them (see below).
// Every reload of the scene programs runs it too. Needs the context.
void GeneratePostProcessing();

// Writes the two texts and builds the program from them. A failure is written to the console
// and switches the shader path off (shaders_ok = 0) until the next reload; nothing is raised.
// Without shader objects nothing is written or built.
void BuildPostProcessing(const std::string& vertex_text, const std::string& fragment_text);

// Hands the view size (pixels), the animation phase and the settings to the program, which
// must be in use; the samplers are units 0 (scene), 1 (wave normals), 2 (dither), 3 (Dist).
void SetPostProcUniforms(float width, float height, float time);

// Deletes the program; the context must still be current.
void ReleasePostProcessing();

}  // namespace graphics
