// GLUT callbacks for the keyboard: the panel takes a key first while it edits a field, the rest go
// to the plain commands.

#include "app/inputGl.h"

#include "app/panelGl.h"
#include "app/pictureGl.h"
#include "app/shutdown.h"
#include "app/windowConsole.h"
#include "app/windowState.h"

#include <GL/freeglut.h>
#include <cstdio>

void keyDown(unsigned char key, int x, int y) {
    if (!panelTakesKey(windowState.panel, key, x, y)) {
        handleKeyDown(key, windowConsole());
        if (shutdownRequested()) {
            glutLeaveMainLoop(); // a signal ended the dialogue: no frame, end now
            return;
        }
        syncPanel(windowState);
    }
    glutPostRedisplay();
}

void keyUp(unsigned char key, int x, int y) {
    panelKeyUp(key, x, y);
    handleKeyUp(key);
    glutPostRedisplay();
}

void specialKeyDown(int key, int, int) {
    if (key == GLUT_KEY_F12) {
        pressPictureKey(windowState.pictureAsked);
    }
}
