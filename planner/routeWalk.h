#pragma once
// Reading a route back: from the end cell along the predecessors toward the start cell.

#include "planner/routeTables.h"

#include <algorithm>
#include <vector>

// Calls visit(x, y) for every cell from (endX, endY) toward (startX, startY), the start itself
// excluded. Returns true when the start was reached; false when a predecessor left the grid or
// the chain ran longer than the grid has cells (neither happens for a reached end cell).
template <typename Visit>
bool walkRoute(const PreviousTable& previous, int startX, int startY, int endX, int endY,
               Visit&& visit) {
    const GridShape& shape = previous.shape();
    int x = endX;
    int y = endY;
    for (std::size_t steps = 0; steps <= shape.cells(); ++steps) {
        if (x == startX && y == startY) {
            return true;
        }
        if (!shape.contains(x, y)) {
            return false;
        }
        visit(x, y);
        const GridPoint p = previous[x][y];
        x = p.x;
        y = p.y;
    }
    return false;
}

// The cells of the route from (startX, startY) to (endX, endY), both included, in that order;
// empty when the chain does not lead back to the start. The end must be reached.
inline std::vector<Cell> routeFromStart(const PreviousTable& previous, int startX, int startY,
                                        int endX, int endY) {
    // Counted first, so that a plan read for many destinations does not grow each route by parts.
    std::size_t count = 0;
    if (!walkRoute(previous, startX, startY, endX, endY, [&count](int, int) { ++count; })) {
        return {};
    }
    std::vector<Cell> cells;
    cells.reserve(count + 1);
    if (!walkRoute(previous, startX, startY, endX, endY, [&cells](int x, int y) {
            cells.push_back({x, y});
        })) {
        return {};
    }
    cells.push_back({startX, startY});
    std::reverse(cells.begin(), cells.end());
    return cells;
}
