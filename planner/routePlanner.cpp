// The one call either planner is started through.
#include "planner/routePlanner.h"

#include "planner/routeSweep.h"

bool planRoutes(PlannerKind planner, const PlanningGrid& grid, int startX, int startY,
                PlannerWorkspace& work, RouteTables& out, const ProgressListener& progress,
                const CancelFlag* cancel) {
    if (planner == PlannerKind::Exact) {
        return exactRoutes(grid, startX, startY, work.exact, out, progress, cancel);
    }
    return sweepRoutes(grid, startX, startY, work.sweep, out, progress, cancel);
}
