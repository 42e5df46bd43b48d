#include "graphics/graphics_state.h"

namespace graphics {

graphics_state gl_state;

}  // namespace graphics
