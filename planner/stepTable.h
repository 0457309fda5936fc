#pragma once
// Per-neighbour step data, computed once from terrainVertices so the sweep only adds, compares
// and stores. Must be rebuilt whenever terrainVertices or settings.vehicleMass changes.

#include "planner/neighbourSteps.h"
#include "terrain/terrainGrid.h"

// Length (metres) and energy (joules) of the step from one cell to each neighbour, in
// NEIGHBOUR_STEPS order. A step that fails the grade test or leaves the grid holds +infinity in
// both, so offering it can never lower a cost. One cache line per cell.
struct alignas(64) CellSteps {
    float length[NEIGHBOUR_COUNT];
    float energy[NEIGHBOUR_COUNT];
};

extern CellSteps stepTable[GRID_SIZE][GRID_SIZE];

// Fills stepTable from terrainVertices and settings.vehicleMass with the per-step rules.
void buildStepTable();
