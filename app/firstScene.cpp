#include "app/firstScene.h"

#include "app/shutdown.h"
#include "planner/routePlanner.h"
#include "render/mesh.h"

void prepareFirstScene() {
    const LongWork work;
    buildMeshGeometry();
    computeRoutes();
}
