#pragma once
// Which cells an overlay marks. Only cells with a quadrilateral (hasQuad) are listed; nothing
// outside the grid is read.

#include "planner/routeTables.h"

#include <vector>

struct Cell {
    int x;
    int y;
};

inline bool operator==(const Cell& a, const Cell& b) {
    return a.x == b.x && a.y == b.y;
}

// Cells of the route read back from `previous`, from the end toward the start (the start
// excluded). A broken chain stops where it leaves the grid or loops.
std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                             int endY);

// Cells of the straight line between two cells, x ascending: y = first.y + (x - first.x) *
// slope in float, truncated, with `first` the cell of lower x. A vertical line gives its column
// from the lower to the higher y.
std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY);
