#include "app/firstScene.h"

#include "planner/routeSweep.h"
#include "planner/stepTable.h"
#include "render/mesh.h"
#include "terrain/terrainGrid.h"

void prepareFirstScene() {
    buildTerrainVertices();
    buildMeshGeometry();
    buildStepTable();
    computeRoutes();
}
