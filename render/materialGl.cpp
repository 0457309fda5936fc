#include "render/materialGl.h"

#include <GL/gl.h>

void setDiffuse(const Float3& colour) {
    const GLfloat rgba[4] = {colour[0], colour[1], colour[2], 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, rgba);
}
