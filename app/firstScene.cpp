#include "app/firstScene.h"

#include "app/shutdown.h"

void prepareFirstScene(LandscapeRun& run) {
    const LongWork work;
    buildMeshGeometry(run.terrain, run.mesh);
    planRun(run);
}
