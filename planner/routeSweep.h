#pragma once
// One relaxation sweep that spirals out from the start cell and offers every visited cell's
// costs to its eight neighbours. One pass, no queue: the visiting order decides the result.

#include "planner/routeTables.h"
#include "planner/stepTable.h"

// Fills `out` by one sweep from (startX, startY) over the steps of `grid`, whose cells it uses
// as working space and leaves clear. A start outside the grid or without ground leaves every
// cell unreached.
// Allocates nothing.
void sweepRoutes(PlanningGrid& grid, int startX, int startY, const RouteTableSet& out);

// Offers the costs of cell (a, b) in the process-wide route tables to its passable neighbours,
// by the steps of planningGrid; 0 <= a, b < GRID_SIZE.
void relaxNeighbours(int a, int b);
