#pragma once
// The eight neighbours of a cell, in the order the sweep offers them costs. The order decides
// which of two equal candidates becomes the predecessor, so it is part of the result.

#include "planner/stepRules.h"

constexpr int NEIGHBOUR_COUNT = 8;

struct NeighbourStep {
    int dx;           // column offset, -1..1
    int dy;           // row offset, -1..1
    float multiplier; // horizontal run in grid spacings
};

constexpr NeighbourStep NEIGHBOUR_STEPS[NEIGHBOUR_COUNT] = {
    {1, 1, DIAGONAL_STEP},  {1, 0, STRAIGHT_STEP},  {1, -1, DIAGONAL_STEP}, {0, 1, STRAIGHT_STEP},
    {0, -1, STRAIGHT_STEP}, {-1, 1, DIAGONAL_STEP}, {-1, 0, STRAIGHT_STEP}, {-1, -1, DIAGONAL_STEP},
};

// The table is symmetric about its middle: entry d and entry 7 - d point in opposite directions.
constexpr int oppositeNeighbour(int d) {
    return NEIGHBOUR_COUNT - 1 - d;
}
