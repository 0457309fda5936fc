#include "render/frameGl.h"

#include "render/projection.h"
#include "render/sceneListGl.h"
#include "render/viewGl.h"
#include "terrain/settings.h"

#include <GL/freeglut.h>

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupView();
    setupLight();
    applySceneTransform();
    if (sceneDirty) {
        rebuildSceneList();
    } else {
        glCallList(sceneList);
    }
    glutSwapBuffers();
}

void reshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, aspectRatio(width, height), NEAR_PLANE, FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
}
