#include "render/sceneListGl.h"

#include "render/routeOverlayGl.h"
#include "render/terrainMeshGl.h"
#include "terrain/settings.h"

#include <GL/gl.h>

namespace {
void drawScene() {
    drawTerrainMesh();
    if (settings.viewMode == Distance) {
        drawDistanceRoute();
    } else if (settings.viewMode == Energy) {
        drawEnergyRoute();
    }
    drawStraightLine();
}
} // namespace

void rebuildSceneList() {
    glDeleteLists(sceneList, 1);
    sceneList = glGenLists(1);
    glNewList(sceneList, GL_COMPILE_AND_EXECUTE);
    drawScene();
    glEndList();
    sceneDirty = false;
}
