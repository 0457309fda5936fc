#pragma once
// The route sweep written plainly from the rules, one step at a time: every step measures its
// length, runs the grade test and prices its energy on the spot, and the walker moves one cell at
// a time, testing every position. Slow, but obviously right; the fast sweep must match it bit
// for bit.

#include "terrain/terrainGrid.h"

// Fills the four route tables for settings.startX/startY, like the sweep of computeRoutes().
void plainComputeRoutes();

// Fills the four route tables with the least costs from settings.startX/startY by textbook
// Dijkstra (std::priority_queue, lazy deletion), each step priced on the spot by the rules.
void plainExactRoutes();

constexpr int PLAIN_LEG_LIMIT = 730; // leg lengths k = 1, 3, ..., 729

// Calls visit(x, y) for every in-grid position of the plain spiral walker, in order.
template <typename Visit> void plainSpiralWalk(int startX, int startY, Visit&& visit) {
    int i = startX;
    int j = startY;
    const auto move = [&](int di, int dj) {
        i += di;
        j += dj;
        if (isInsideGrid(i, j)) {
            visit(i, j);
        }
    };
    if (isInsideGrid(i, j)) {
        visit(i, j);
    }
    for (int k = 1; k < PLAIN_LEG_LIMIT; k += 2) {
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
