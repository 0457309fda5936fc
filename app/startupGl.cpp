// The window's start and its event loop: GLUT given the arguments the options left, the
// callbacks registered, the display callback that builds or replays the scene, and the timer.

#include "app/startupGl.h"

#include "app/currentRun.h"
#include "app/firstScene.h"
#include "app/inputGl.h"
#include "app/options.h"
#include "app/panelGl.h"
#include "app/planning.h"
#include "app/settings.h"
#include "app/shutdown.h"
#include "app/windowState.h"
#include "app/windowWatchGl.h"
#include "io/pictureFile.h"
#include "render/heightShading.h"
#include "render/scene.h"
#include "render/sceneGl.h"
#include "render/viewLayout.h"
#include "render/viewTextGl.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int FIRST_TICK_MS = 10;
constexpr int TICK_MS = 20;
// How long the first frame waits for the first plan: a small ground, the built-in one always,
// opens with its rings and routes as it did when the plan ran before the window.
constexpr double FIRST_FRAME_WAIT_S = 0.3;

// The ground shaded by its heights has been compiled, to be shown until its first plan ends.
bool heightsShown = false;

// A window stretched past what a picture can hold is brought back within it: its buffers alone
// would take gigabytes, and F12 could not save it.
void reshapeWithinPicture(int width, int height) {
    const WindowSize fits = pictureSizedWindow(width, height);
    if (fits.width != width || fits.height != height) {
        glutReshapeWindow(fits.width, fits.height);
    }
    reshape(windowState.scene, width, height, settings.panelVisible);
}

// One frame: the scene (compiled anew when a command changed it and no plan is under way), then
// what goes over it. Until the ground's first plan ends the ground shows shaded by its heights,
// and while a plan tells how far it has come the view says so.
void display() {
    SceneGlState& gl = windowState.scene;
    beginFrame(gl, windowState.camera, settings.sceneOffset, settings.sceneRotation);
    const SceneInputs in = sceneInputs(landscapeRun);
    const bool firstPlanning = !firstPlanEnded();
    if (firstPlanning && !heightsShown) {
        // Reads the ground and the mesh alone, which the worker leaves unchanged.
        rebuildSceneList(gl, heightShadedScene(in.terrain, in.mesh), in);
        gl.sceneDirty = true; // the real scene is still to come
        heightsShown = true;
    } else if (!firstPlanning && gl.sceneDirty && !planUnderWay()) {
        rebuildSceneList(gl, buildScene(in), in);
    } else {
        replaySceneList(gl);
    }
    if (planUnderWay() && (firstPlanning || planTellsProgress())) {
        drawViewText(gl, planningViewText());
    }
    afterScene(windowState);
    glutSwapBuffers();
}
} // namespace

void timerTick(int) {
    if (shutdownRequested() || windowLost(windowState.watch) || groundRefusedStatus() != 0) {
        glutLeaveMainLoop();
        return;
    }
    // A plan that ended is taken up here, on the event thread, and so is its progress.
    if (takeUpPlanWork(stdout)) {
        syncPanel(windowState);
        glutPostRedisplay();
    }
    // A frame only while the camera moves; a still one leaves the window (and the CPU) alone.
    Camera& camera = windowState.camera;
    const bool moving = camera.isMoving();
    camera.update(CAMERA_TICK_STEP);
    if (moving) {
        glutPostRedisplay();
    }
    glutTimerFunc(TICK_MS, timerTick, 0);
}

int runLandscape(const char* programName, const Options& options, bool groundPriced) {
    std::vector<char*> glutArgs{const_cast<char*>(programName)};
    for (const std::string& arg : options.otherArgs) {
        glutArgs.push_back(const_cast<char*>(arg.c_str()));
    }
    int argc = static_cast<int>(glutArgs.size());
    glutArgs.push_back(nullptr);
    glutInit(&argc, glutArgs.data());
    // glutInit removes the options it knows; anything left is nobody's.
    if (argc > 1) {
        std::fprintf(stderr, "landscape: %s: unknown option (see --help)\n", glutArgs[1]);
        return 2;
    }
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(settings.windowWidth + panelStripWidth(settings.panelVisible),
                       settings.windowHeight);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Landscape (Quillon)");
    // Closing the window returns from the loop, so the process ends through main.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    installShutdownHandlers();
    watchForWindowLoss(windowState.watch);
    initPanel();
    // Plans run beside the window from now on; what they tell goes to the console.
    planBesideWindow(landscapeRun.progress);
    // From now on long work is shown in the panel as well as on the console.
    landscapeRun.progress = [console = landscapeRun.progress](const std::string& line) {
        if (console) {
            console(line);
        }
        showProgress(windowState, line);
    };
    windowState.scene.sceneDirty = true;
    windowState.scene.sceneList = glGenLists(1);
    prepareFirstScene(landscapeRun, options, groundPriced);
    waitForFirstPlan(FIRST_FRAME_WAIT_S, stdout);
    glEnable(GL_DEPTH_TEST);
    glutTimerFunc(FIRST_TICK_MS, timerTick, 0);
    glutDisplayFunc(display);
    glutReshapeFunc(reshapeWithinPicture);
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutSpecialFunc(specialKeyDown);
    glutMouseFunc(mouseButton);
    glutMotionFunc(mouseMotion);
    syncPanel(windowState);
    glutMainLoop();
    stopPlanning(); // the plan under way has no window to show in
    return groundRefusedStatus() != 0 ? groundRefusedStatus() : WINDOW_END_STATUS;
}
