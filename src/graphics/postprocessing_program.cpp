#include "graphics/postprocessing_program.h"

namespace graphics {

KR::Shader* postproc_program = nullptr;

}  // namespace graphics
