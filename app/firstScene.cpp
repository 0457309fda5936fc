// The first scene's mesh and plan, built as long work so that a signal meanwhile ends the process.

#include "app/firstScene.h"

#include "app/shutdown.h"
#include "render/ringFit.h"

void prepareFirstScene(LandscapeRun& run) {
    const LongWork work;
    buildMeshGeometry(run.terrain, run.mesh,
                      run.loadedGround ? ViewerSide::Above : ViewerSide::Below);
    planRun(run);
    // Later plans keep whatever widths the user has set by then.
    if (run.loadedGround) {
        fitRingWidths(run.settings, run.tables);
    }
}
