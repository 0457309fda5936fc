#include "app/inputGl.h"

#include "camera/camera.h"
#include "camera/mouseDrag.h"

#include <GL/freeglut.h>

static_assert(GLUT_DOWN == MOUSE_PRESSED, "the drag logic reads GLUT button states");

// A press or release only picks the drag mode; nothing on screen changes yet.
void mouseButton(int, int state, int x, int y) {
    onMouseButton(state, x, y);
}

void mouseMotion(int x, int y) {
    onMouseDrag(camera, x, y);
    glutPostRedisplay();
}
