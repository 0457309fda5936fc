#pragma once
// One relaxation sweep that spirals out from the start cell and offers every visited cell's
// costs to its eight neighbours. One pass, no queue: the visiting order decides the result.

#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/routeTables.h"

// Fills `out` (sized for the grid) by one sweep from (startX, startY) over the steps of `grid`.
// A start outside the grid or without ground leaves every cell unreached. Allocates nothing. A
// big grid's sweep tells `progress` how far it has come.
void sweepRoutes(const PlanningGrid& grid, int startX, int startY, RouteTables& out,
                 const ProgressListener& progress = {});

// Offers the costs of cell (a, b) in `tables` to its passable neighbours, by the steps of
// `grid`; (a, b) lies inside the grid.
void relaxNeighbours(const PlanningGrid& grid, RouteTables& tables, int a, int b);

// The same over the tables and planning grid of the run now going on.
void relaxNeighbours(int a, int b);
