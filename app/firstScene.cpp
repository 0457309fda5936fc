#include "app/firstScene.h"

#include "planner/routePlanner.h"
#include "render/mesh.h"

void prepareFirstScene() {
    buildMeshGeometry();
    computeRoutes();
}
