#include "app/firstScene.h"

#include "planner/routePlanner.h"
#include "planner/stepTable.h"
#include "render/meshGeometry.h"
#include "terrain/terrainGrid.h"

void prepareFirstScene() {
    buildTerrainVertices();
    buildMeshGeometry();
    buildStepTable();
    computeRoutes();
}
