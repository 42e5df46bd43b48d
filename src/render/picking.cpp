// Picking: the terrain and every object's plain shape redrawn in selection mode under a
// one-pixel pick matrix; the nearest hit becomes the selected object.

#include <GL/glew.h>

#include <new>
#include <vector>

#include "graphics/graphics_state.h"
#include "kr/base/error.h"
#include "render/object_draw.h"
#include "terrain/pick_hits.h"
#include "terrain/scene_box.h"
#include "terrain/terrain.h"

void terrain::Pick(int client_width, int client_height, int cursor_x, int cursor_y) {
    (void)client_width;
    KR::Vector4 box[8];
    SceneBox(*this, box);

    constexpr size_t kWords = 512;
    std::vector<GLuint> buffer;
    try {
        buffer.resize(kWords);
    } catch (const std::bad_alloc&) {
        throw KR::ErrorMem("terrain::Pick", ": Not enough memory to alocate selection buffer!",
                           uint32_t(4 * (ObjectCount() + 1)));
    }
    selected = nullptr;

    glSelectBuffer(GLsizei(kWords), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    camera_info camera;
    UpdateCamera(box, &camera);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluPickMatrix(cursor_x, client_height - cursor_y, 1, 1, viewport);
    gluPerspective(display_options->field_of_view, graphics::gl_state.view_aspect, camera.near,
                   camera.far);
    glMatrixMode(GL_MODELVIEW);

    DrawShadowCasters();
    GLuint name = 1;
    for (const shown_object& o : shown_objects) {
        glLoadName(name++);
        render::DrawPlain(o);
    }
    glFlush();
    const int hits = glRenderMode(GL_RENDER);

    const int64_t chosen = ChoosePickedName(buffer.data(), kWords, hits);
    // Name 0 is the terrain, which selects nothing; k is the k-th object of the list, as it
    // was when drawing last took it (an object eaten since is simply not in the list: removal
    // clears a selection of it).
    if (chosen > 0 && size_t(chosen) <= shown_objects.size()) {
        const scene_object* picked = shown_objects[size_t(chosen) - 1].object;
        for (scene_object* o = objects; o; o = o->next)
            if (o == picked) selected = o;
    }
}
