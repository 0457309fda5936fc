// The one call either planner is started through.
#include "planner/routePlanner.h"

#include "planner/routeSweep.h"

void planRoutes(PlannerKind planner, const PlanningGrid& grid, int startX, int startY,
                PlannerWorkspace& work, RouteTables& out, const ProgressListener& progress) {
    if (planner == PlannerKind::Exact) {
        exactRoutes(grid, startX, startY, work.exact, out, progress);
        return;
    }
    sweepRoutes(grid, startX, startY, work.sweep, out, progress);
}
