// The one run main owns and the process-wide names that refer into it; each call here hands the
// run's pieces on to the code that does the work.

#include "app/currentRun.h"

#include "io/routeExport.h"
#include "planner/routeSweep.h"

#include <fcntl.h>

LandscapeRun landscapeRun;

Settings& settings = landscapeRun.settings;
TerrainPositions& terrainVertices = landscapeRun.terrain;
GroundReference& groundReference = landscapeRun.reference;
PlanningGrid& planningGrid = landscapeRun.grid;
CostTable& distanceTable = landscapeRun.tables.distance;
CostTable& energyTable = landscapeRun.tables.energy;
PreviousTable& previousDistanceVertices = landscapeRun.tables.previousDistance;
PreviousTable& previousEnergyVertices = landscapeRun.tables.previousEnergy;

void computeRoutes() {
    planRun(landscapeRun);
}

void relaxNeighbours(int a, int b) {
    relaxNeighbours(landscapeRun.grid, landscapeRun.tables, a, b);
}

void buildStepTable() {
    priceSteps(landscapeRun);
}

bool exportRouteTables() {
    const LandscapeRun& run = landscapeRun;
    return exportRouteTablesInto(AT_FDCWD,
                                 {run.terrain, run.tables, routeEnds(run.settings), run.progress,
                                  tripToExport(run), !run.moreStarts.empty()});
}
