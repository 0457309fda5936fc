#include "app/startupGl.h"

#include "app/firstScene.h"
#include "app/inputGl.h"
#include "app/shutdown.h"
#include "camera/camera.h"
#include "render/frameGl.h"
#include "terrain/settings.h"

#include <GL/freeglut.h>

namespace {
constexpr int FIRST_TICK_MS = 10;
constexpr int TICK_MS = 20;
} // namespace

void timerTick(int) {
    if (shutdownRequested()) {
        glutLeaveMainLoop();
        return;
    }
    // No redisplay: motion shows at the next frame an input event asks for.
    camera.update(CAMERA_TICK_STEP);
    glutTimerFunc(TICK_MS, timerTick, 0);
}

void runLandscape(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(500, 500);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Landscape (Quillon)");
    // Closing the window returns from the loop, so the process ends through main.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    installShutdownHandlers();
    sceneDirty = true;
    sceneList = glGenLists(1);
    prepareFirstScene();
    glEnable(GL_DEPTH_TEST);
    glutTimerFunc(FIRST_TICK_MS, timerTick, 0);
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutMouseFunc(mouseButton);
    glutMotionFunc(mouseMotion);
    glutMainLoop();
}
