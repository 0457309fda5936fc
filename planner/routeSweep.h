#pragma once
// One relaxation sweep that spirals out from the start cell and offers every visited cell's
// costs to its eight neighbours. One pass, no queue: the visiting order decides the result.
// Both functions read the step data of buildStepTable(), which must be current.

// Fills distanceTable, energyTable and both predecessor tables for settings.startX/startY.
// A start outside the grid or on a cell without ground leaves every cell unreached. Allocates
// nothing.
void computeRoutes();

// Offers the costs of cell (a, b) to its passable neighbours; 0 <= a, b < GRID_SIZE.
void relaxNeighbours(int a, int b);
