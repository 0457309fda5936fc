// GLUT callbacks for the mouse: the panel takes its own presses and drags, a plain drag turns the
// camera, and a Shift, Ctrl or Alt click picks its cell once the next frame is drawn. Also what
// follows the scene in every frame.

#include "app/inputGl.h"
#include "app/windowConsole.h"

#include "app/currentRun.h"
#include "app/panelGl.h"
#include "app/pictureGl.h"
#include "app/settings.h"
#include "app/windowState.h"
#include "camera/mouseDrag.h"
#include "render/mapOverlayGl.h"
#include "render/sceneGl.h"

#include <GL/freeglut.h>
#include <optional>

static_assert(GLUT_DOWN == MOUSE_PRESSED, "the drag logic reads GLUT button states");

namespace {
std::optional<PickedEnd> pickedEnd(int button, int state) {
    if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN) {
        return std::nullopt;
    }
    switch (glutGetModifiers()) {
    case GLUT_ACTIVE_SHIFT:
        return PickedEnd::Start;
    case GLUT_ACTIVE_CTRL:
        return PickedEnd::End;
    case GLUT_ACTIVE_ALT:
        return PickedEnd::Via;
    default:
        return std::nullopt;
    }
}
} // namespace

// A plain press or release only picks the drag mode; nothing on screen changes yet.
void mouseButton(int button, int state, int x, int y) {
    if (panelTakesMouseButton(windowState.panel, button, state, x, y)) {
        glutPostRedisplay();
        return;
    }
    // Presses are classified against the nominal window size, whatever the window's real size.
    onMouseButton(windowState.drag, state, x, y, settings.windowWidth, settings.windowHeight);
    if (const std::optional<PickedEnd> end = pickedEnd(button, state)) {
        windowState.pendingPick = PendingPick{*end, x, y};
        glutPostRedisplay();
    }
}

void mouseMotion(int x, int y) {
    if (!panelTakesMotion(windowState.panel, x, y)) {
        onMouseDrag(windowState.drag, windowState.camera, x, y);
    }
    glutPostRedisplay();
}

void afterScene(WindowState& window) {
    // On the built-in ground only beside the panel, so that its first frame stays as it is.
    if (landscapeRun.loadedGround || settings.panelVisible) {
        drawMapOverlay(window.scene, sceneInputs(landscapeRun));
    }
    // The view as drawn, before a pick replans or the panel covers anything.
    takeAskedPicture(window.pictureAsked);
    if (window.pendingPick) {
        const PendingPick pick = *window.pendingPick;
        window.pendingPick.reset();
        // A click off the ground changes nothing.
        if (const std::optional<Cell> cell =
                cellUnderPixel(window.scene, sceneInputs(landscapeRun), pick.x, pick.y)) {
            // A refused via point is also told in red on the panel.
            const std::string refusal =
                submitPickedCell(pick.end, cell->x, cell->y, windowConsole().out);
            if (!refusal.empty()) {
                window.panel.refusal = refusal;
            }
            glutPostRedisplay();
        }
    }
    drawPanel(window);
}
