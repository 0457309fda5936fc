#pragma once
// One relaxation sweep that spirals out from the start cell and offers every visited cell's
// costs to its eight neighbours. One pass, no queue: the visiting order decides the result.

#include "planner/cancel.h"
#include "planner/kernels/parallelWork.h"
#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/routeTables.h"

// Everything one measure's sweep of a big grid reads or writes about one cell, in one 12-byte
// record: a visit then touches one cache line per neighbouring column instead of one per table.
struct SweepCell {
    float cost;
    float height;
    uint8_t steps;
    uint8_t from;
};

// Working space of the sweep of a big grid, a record a cell for each measure, so that the
// measures sweep on the cores at once; kept between plans. A small grid's sweep works in the route
// tables themselves and needs none.
struct SweepWorkspace {
    PlannerArray<SweepCell> cells[MEASURE_COUNT]; // distance, energy, time
    HelperThread helpers[MEASURE_COUNT - 1];      // sweep the measures besides this thread's

    // Gives back the records' memory, for a run that plans no more.
    void release() {
        for (PlannerArray<SweepCell>& c : cells) {
            c.release();
        }
    }
};

// Fills `out` (sized for the grid) by one sweep from (startX, startY) over the steps of `grid`.
// A start outside the grid or without ground leaves every cell unreached. Allocates nothing
// once `work` has grown. A big grid's sweep tells `progress` how far it has come. Returns false,
// the tables left unfinished, when `cancel` was raised before the sweep ended; true otherwise.
bool sweepRoutes(const PlanningGrid& grid, int startX, int startY, SweepWorkspace& work,
                 RouteTables& out, const ProgressListener& progress = {},
                 const CancelFlag* cancel = nullptr);

// Offers the costs of cell (a, b) in `tables` to its passable neighbours, by the steps of
// `grid`; (a, b) lies inside the grid.
void relaxNeighbours(const PlanningGrid& grid, RouteTables& tables, int a, int b);
