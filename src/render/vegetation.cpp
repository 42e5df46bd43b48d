#include "render/vegetation.h"

#include <GL/glew.h>

#include "graphics/graphics_state.h"
#include "render/cluster_draw.h"
#include "terrain/cluster.h"
#include "terrain/vegetation.h"

namespace render {

void DrawVegetation(const cluster& c, const camera_info& camera) {
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    // Only the solid middle of the tree image: its soft rim would need sorting to blend.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.9f);
    Bind(graphics::gl_state.tex_tree);
    glActiveTexture(GL_TEXTURE0);
    glColor4f(1, 1, 1, 1);
    // The billboards turn towards the target, so those between the eye and the target show
    // their back: both sides are drawn, or they would vanish while the water culls.
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);

    static const float kCorner[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const vegetation_noise noise;
    glBegin(GL_QUADS);
    for (int j = 0; j < c.size_y; ++j)
        for (int i = 0; i < c.size_x; ++i) {
            const vegetation_tree tree = PlaceTree(noise, c, i, j);
            if (!tree.grows) continue;
            const vegetation_billboard quad = TreeBillboard(tree, camera.target, camera.view.y);
            for (int k = 0; k < 4; ++k) {
                glMultiTexCoord2fv(GL_TEXTURE1, kCorner[k]);
                glVertex3fv(&quad.corners[k].x);
            }
        }
    glEnd();

    if (culling) glEnable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
}

}  // namespace render
