#pragma once
// Least cost from the start cell to every grid cell, by path length and by path energy, and the
// cell each cost was reached from. Overwritten in place by every planning run.

#include "planner/neighbourSteps.h"
#include "terrain/terrainGrid.h"

#include <cstdint>

// A grid cell; only x (column) and y (row) carry meaning, z stays 0.
struct GridPoint {
    int32_t x;
    int32_t y;
    int32_t z;
};

constexpr float UNREACHED_COST = 1e35f;    // cost of a cell no step has reached
constexpr int32_t NO_PREVIOUS = 164888576; // x and y of a predecessor that was never set

using CostTable = float[GRID_SIZE][GRID_SIZE];
using PreviousTable = GridPoint[GRID_SIZE][GRID_SIZE];

extern CostTable distanceTable; // metres
extern CostTable energyTable;   // joules
extern PreviousTable previousDistanceVertices;
extern PreviousTable previousEnergyVertices;

// The four tables one planning run writes.
struct RouteTableSet {
    CostTable& distance;
    CostTable& energy;
    PreviousTable& previousDistance;
    PreviousTable& previousEnergy;
};

// The process-wide tables above, as one set.
RouteTableSet processRouteTables();

// The predecessor of grid cell (x, y) that arrived by NEIGHBOUR_STEPS[from - 1], or
// (NO_PREVIOUS, NO_PREVIOUS, 0) for from 0 (nothing arrived).
inline GridPoint previousFromStep(int x, int y, uint8_t from) {
    if (from == 0) {
        return {NO_PREVIOUS, NO_PREVIOUS, 0};
    }
    const NeighbourStep& step = NEIGHBOUR_STEPS[from - 1];
    return {x - step.dx, y - step.dy, 0};
}

// Every cell unreached with no predecessor, then both costs of (startX, startY) set to 0 (a start
// outside the grid leaves every cell unreached).
void resetRouteTables(int startX, int startY);
