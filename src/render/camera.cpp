// The camera loaded into GL: the view state is turned into matrices by the GL-free camera
// (terrain/camera.h) and loaded as they are, so drawing and picking see the same numbers the
// unit tests check.

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "terrain/camera.h"
#include "terrain/terrain.h"

void terrain::UpdateCamera(const KR::Vector4 box[8], camera_info* out) {
    const camera_frame frame =
        ComputeCamera(*this, box, display_options->field_of_view, graphics::gl_state.view_aspect,
                      display_options->camera_controll);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(frame.modelview.m);
    // Callers go on from the projection stack (picking puts its pick matrix in front).
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(frame.projection.m);
    if (out) *out = frame.info;
}
