#include "planner/routePlanner.h"

#include "planner/routeSweep.h"

namespace {
ExactWorkspace exactWorkspace;
} // namespace

void planRoutes(PlannerKind planner, PlanningGrid& grid, int startX, int startY,
                ExactWorkspace& work, const RouteTableSet& out) {
    if (planner == PlannerKind::Exact) {
        exactRoutes(grid, startX, startY, work, out);
        return;
    }
    sweepRoutes(grid, startX, startY, out);
}

void computeRoutes() {
    planRoutes(settings.planner, planningGrid, settings.startX, settings.startY, exactWorkspace,
               processRouteTables());
}
