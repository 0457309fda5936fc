// The first scene's mesh, built as long work so that a signal meanwhile ends the process, and
// the first plan asked for.

#include "app/firstScene.h"

#include "app/planning.h"
#include "app/preparedGround.h"
#include "app/shutdown.h"

#include <cstdio>

void prepareFirstScene(LandscapeRun& run) {
    {
        const LongWork work;
        buildMeshGeometry(run.terrain, run.mesh,
                          run.loadedGround ? ViewerSide::Above : ViewerSide::Below);
    }
    askForFirstPlan(rulesShutStart(run), stdout);
}
