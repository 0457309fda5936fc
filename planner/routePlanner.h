#pragma once
// The planning engine: either planner over explicit inputs, with the working cells both keep
// between plans.

#include "planner/exactSearch.h"
#include "planner/plannerKind.h"
#include "planner/planningGrid.h"
#include "planner/routeSweep.h"
#include "planner/routeTables.h"

// The working space of both planners, kept between plans and given back alike.
struct PlannerWorkspace {
    SweepWorkspace sweep;
    ExactWorkspace exact;

    void release() {
        sweep.release();
        exact.release();
    }
};

// Fills `out` from (startX, startY) with `planner`: the one spiral sweep or the exact search.
// False, the tables left unfinished, when `cancel` stopped the plan before its end.
bool planRoutes(PlannerKind planner, const PlanningGrid& grid, int startX, int startY,
                PlannerWorkspace& work, RouteTables& out, const ProgressListener& progress = {},
                const CancelFlag* cancel = nullptr);
