#pragma once
// The square spiral the sweep walks: the start, then ring 1, ring 2, ...; within a ring the +x,
// +y, -x and -y legs. The walker leaves the grid on the outer rings; those moves visit nothing.

#include "terrain/terrainGrid.h"

#include <algorithm>

// Leg lengths k run 1, 3, 5, ... while k < SPIRAL_LEG_LIMIT, enough to cover the grid from any
// start cell inside it.
constexpr int SPIRAL_LEG_LIMIT = 2 * GRID_SIZE;

// Calls visit(x, y) for every grid cell in spiral order from (startX, startY), each exactly once
// when the start lies inside the grid. A leg outside the grid is skipped as a whole and a leg
// that crosses it is clipped to it, so the walk costs no test per move.
template <typename Visit> void forEachSpiralCell(int startX, int startY, Visit&& visit) {
    int i = startX;
    int j = startY;
    if (isInsideGrid(i, j)) {
        visit(i, j);
    }
    constexpr int last = GRID_SIZE - 1;
    const auto indexInside = [](int v) { return v >= 0 && v <= last; };
    for (int k = 1; k < SPIRAL_LEG_LIMIT; k += 2) {
        if (indexInside(j)) {
            for (int t = std::max(i + 1, 0), end = std::min(i + k, last); t <= end; ++t) {
                visit(t, j);
            }
        }
        i += k;
        if (indexInside(i)) {
            for (int t = std::max(j + 1, 0), end = std::min(j + k, last); t <= end; ++t) {
                visit(i, t);
            }
        }
        j += k;
        if (indexInside(j)) {
            for (int t = std::min(i - 1, last), end = std::max(i - k - 1, 0); t >= end; --t) {
                visit(t, j);
            }
        }
        i -= k + 1;
        if (indexInside(i)) {
            for (int t = std::min(j - 1, last), end = std::max(j - k - 1, 0); t >= end; --t) {
                visit(i, t);
            }
        }
        j -= k + 1;
    }
}
