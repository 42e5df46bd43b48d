#include "render/object_draw.h"

#include <GL/glew.h>

#include "terrain/scene_object.h"

namespace render {
namespace {

// The six faces of the unit cube: normal, then four corners wound counter-clockwise seen
// from outside.
struct cube_face {
    float normal[3];
    float corners[4][3];
};
constexpr cube_face kCube[6] = {
    {{1, 0, 0}, {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}},
    {{-1, 0, 0}, {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
    {{0, 1, 0}, {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}},
    {{0, -1, 0}, {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
    {{0, 0, 1}, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
    {{0, 0, -1}, {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}},
};

void DrawCube(float half) {
    glBegin(GL_QUADS);
    for (const cube_face& face : kCube) {
        glNormal3fv(face.normal);
        for (const auto& c : face.corners)
            glVertex3f(c[0] * half, c[1] * half, c[2] * half);
    }
    glEnd();
}

void DrawFood(const shown_object& food, bool selected) {
    const float a = food.size;  // the amount
    glPushMatrix();
    glTranslatef(food.position.x, food.position.y, food.position.z);
    glRotatef(food.rotation.x, 1, 0, 0);
    glRotatef(food.rotation.y, 0, 1, 0);
    glRotatef(food.rotation.z, 0, 0, 1);
    glLineWidth(3.0f);
    if (selected)
        glColor4f(1, 0, 0, 1);
    else
        glColor4f(0, 0.7f, 0, 1);
    glBegin(GL_LINES);
    const float tips[5][3] = {{a, 0, a}, {-a, 0, a}, {0, a, a}, {0, -a, a}, {0, 0, a}};
    for (const auto& tip : tips) {
        glVertex3f(0, 0, 0);
        glVertex3fv(tip);
    }
    glEnd();
    glLineWidth(1.0f);
    glPopMatrix();
}

}  // namespace

void Draw(const shown_object& object, bool textured, bool selected) {
    if (object.food) return DrawFood(object, selected);
    glPushMatrix();
    glTranslatef(object.position.x, object.position.y, object.position.z);
    glRotatef(object.rotation.x, 1, 0, 0);
    glRotatef(object.rotation.y, 0, 1, 0);
    glRotatef(object.rotation.z, 0, 0, 1);
    glEnable(GL_LIGHTING);
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    if (selected)
        glColor4f(1, 0, 0, 1);
    else
        glColor4f(0.8f, 0.8f, 0.8f, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    DrawCube(object.size);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    // The heading marker.
    glBegin(GL_LINES);
    glVertex3f(0, 0, 0);
    glVertex3f(2, 0, 0);
    glEnd();
    glPopMatrix();
}

void DrawPlain(const shown_object& object) {
    Draw(object, false, false);
}

}  // namespace render
