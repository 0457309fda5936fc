// The first scene's mesh and plan, built as long work so that a signal meanwhile ends the process.

#include "app/firstScene.h"

#include "app/preparedGround.h"
#include "app/shutdown.h"
#include "render/ringFit.h"

void prepareFirstScene(LandscapeRun& run) {
    const LongWork work;
    buildMeshGeometry(run.terrain, run.mesh,
                      run.loadedGround ? ViewerSide::Above : ViewerSide::Below);
    if (rulesShutStart(run)) {
        resetRouteTables(run.tables, -1, -1);
    } else {
        planRun(run);
    }
    // Later plans keep whatever widths the user has set by then.
    if (run.loadedGround) {
        fitRingWidths(run.settings, run.tables);
    }
}
