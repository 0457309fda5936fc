#pragma once
// The route sweep written plainly from the rules, one step at a time: every step measures its
// length, runs the grade test and prices its energy on the spot, and the walker moves one cell at
// a time, testing every position. Slow, but obviously right; the fast planners must match it bit
// for bit. Both read the ground now loaded and the vehicle and start of the settings.

#include "tests/unit/plannerTestSupport.h"

#include <algorithm>

// The four route tables of the sweep from settings.startX/startY.
RouteSnapshot plainComputeRoutes();

// The least costs from settings.startX/startY by textbook Dijkstra (std::priority_queue, lazy
// deletion), each step priced on the spot by the rules; of equally cheap routes, the one least
// in the other measure, whose totals it fills in too.
RouteSnapshot plainExactRoutes();

// Calls visit(x, y) for every in-grid position of the plain spiral walker, in order: legs
// k = 1, 3, ... while k < twice the longer side.
template <typename Visit> void plainSpiralWalk(int startX, int startY, Visit&& visit) {
    const GridShape& shape = terrainVertices.shape();
    const int legLimit = 2 * std::max(shape.columns, shape.rows);
    int i = startX;
    int j = startY;
    const auto move = [&](int di, int dj) {
        i += di;
        j += dj;
        if (shape.contains(i, j)) {
            visit(i, j);
        }
    };
    if (shape.contains(i, j)) {
        visit(i, j);
    }
    for (int k = 1; k < legLimit; k += 2) {
        for (int n = 0; n < k; ++n) {
            move(1, 0);
        }
        for (int n = 0; n < k; ++n) {
            move(0, 1);
        }
        for (int n = 0; n < k + 1; ++n) {
            move(-1, 0);
        }
        for (int n = 0; n < k + 1; ++n) {
            move(0, -1);
        }
    }
}
