#pragma once
// Least cost from the start cell to every grid cell, by path length and by path energy, and the
// cell each cost was reached from. Overwritten in place by every planning run.

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

// Every cell unreached with no predecessor, then both costs of (startX, startY) set to 0 (a start
// outside the grid leaves every cell unreached).
void resetRouteTables(int startX, int startY);
