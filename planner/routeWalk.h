#pragma once
// Reading a route back: from the end cell along the predecessors toward the start cell.

#include "planner/routeTables.h"

// Calls visit(x, y) for every cell from (endX, endY) toward (startX, startY), the start itself
// excluded. Returns true when the start was reached; false when a predecessor left the grid or
// the chain ran longer than the grid has cells (neither happens for a reached end cell).
template <typename Visit>
bool walkRoute(const PreviousTable& previous, int startX, int startY, int endX, int endY,
               Visit&& visit) {
    int x = endX;
    int y = endY;
    for (int steps = 0; steps <= GRID_CELLS; ++steps) {
        if (x == startX && y == startY) {
            return true;
        }
        if (!isInsideGrid(x, y)) {
            return false;
        }
        visit(x, y);
        const GridPoint& p = previous[x][y];
        x = p.x;
        y = p.y;
    }
    return false;
}
