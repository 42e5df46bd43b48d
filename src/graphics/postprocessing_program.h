#pragma once
// The post-processing program, generated from the chosen options; none until it is built.

namespace KR {
class Shader;
}

namespace graphics {

extern KR::Shader* postproc_program;

}  // namespace graphics
