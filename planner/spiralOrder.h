#pragma once
// The square spiral the sweep walks: the start, then ring 1, ring 2, ...; within a ring the +x,
// +y, -x and -y legs. The walker leaves the grid on the outer rings; those moves visit nothing.

#include "planner/cancel.h"
#include "terrain/gridShape.h"

#include <algorithm>

// Leg lengths k run 1, 3, 5, ... while k < spiralLegLimit: enough to cover a grid of that shape
// from any start cell inside it (730 for the built-in 365 x 365).
inline int spiralLegLimit(const GridShape& shape) {
    return 2 * std::max(shape.columns, shape.rows);
}

// Calls visit(x, y) for every grid cell in spiral order from (startX, startY), each exactly once
// when the start lies inside the grid. A leg outside the grid is skipped as a whole and a leg
// that crosses it is clipped to it, so the walk costs no test per move. The walk stops before a
// ring once `cancel` is raised; false then, true when every cell was visited.
template <typename Visit>
bool forEachSpiralCell(const GridShape& shape, int startX, int startY, Visit&& visit,
                       const CancelFlag* cancel = nullptr) {
    int i = startX;
    int j = startY;
    if (shape.contains(i, j)) {
        visit(i, j);
    }
    const int lastX = shape.columns - 1;
    const int lastY = shape.rows - 1;
    const auto insideX = [lastX](int v) { return v >= 0 && v <= lastX; };
    const auto insideY = [lastY](int v) { return v >= 0 && v <= lastY; };
    const int limit = spiralLegLimit(shape);
    for (int k = 1; k < limit; k += 2) {
        if (cancelAsked(cancel)) {
            return false;
        }
        if (insideY(j)) {
            for (int t = std::max(i + 1, 0), end = std::min(i + k, lastX); t <= end; ++t) {
                visit(t, j);
            }
        }
        i += k;
        if (insideX(i)) {
            for (int t = std::max(j + 1, 0), end = std::min(j + k, lastY); t <= end; ++t) {
                visit(i, t);
            }
        }
        j += k;
        if (insideY(j)) {
            for (int t = std::min(i - 1, lastX), end = std::max(i - k - 1, 0); t >= end; --t) {
                visit(t, j);
            }
        }
        i -= k + 1;
        if (insideX(i)) {
            for (int t = std::min(j - 1, lastY), end = std::max(j - k - 1, 0); t >= end; --t) {
                visit(i, t);
            }
        }
        j -= k + 1;
    }
    return true;
}
