#include "app/firstScene.h"

#include "app/preparedGround.h"

#include "planner/routePlanner.h"
#include "planner/stepTable.h"
#include "render/mesh.h"

void prepareFirstScene() {
    buildPreparedGroundVertices();
    buildMeshGeometry();
    buildStepTable();
    computeRoutes();
}
