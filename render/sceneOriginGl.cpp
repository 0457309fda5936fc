#include "render/sceneOriginGl.h"

#include <GL/gl.h>

namespace {
constexpr GLfloat GRID_SHIFT_X = -0.5f; // scene units
} // namespace

void beginSceneQuads() {
    glPushMatrix();
    glTranslatef(GRID_SHIFT_X, 0.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_QUADS);
}

void endSceneQuads() {
    glEnd();
    glPopMatrix();
}
