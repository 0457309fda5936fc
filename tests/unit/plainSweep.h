#pragma once
// The route sweep written plainly from the rules, one step at a time: every step measures its
// length, runs the grade test and prices its energy on the spot, and the walker moves one cell at
// a time, testing every position. Slow, but obviously right; the fast planners must match it bit
// for bit. Both read the run's ground and barriers and the vehicle, moves and start of its
// settings.

#include "tests/unit/plannerTestSupport.h"

#include <algorithm>

// Joules of a step that rises `rise` metres (negative: drops) over a run of `multiplier`
// spacings: m g (climb + descent * drop), plus rolling m g run when there is rolling resistance.
float plainEnergy(const LandscapeRun& run, float rise, float multiplier);

// The rolling coefficient of the move from (a, b) to (c, d): the mean of the cover's two cells',
// each the vehicle's where the cover has none.
float plainRolling(const LandscapeRun& run, int a, int b, int c, int d);

// The same energy with a rolling coefficient of `rolling`.
float plainEnergy(const LandscapeRun& run, float rise, float multiplier, float rolling);

// Seconds of the move from (a, b) to (c, d) of `length` metres: the length at the mean of the two
// cells' paces (1 / their speed, the cover's capped by the top speed), and on a climb with a
// power limit at least the length at the speed that power keeps up.
double plainTime(const LandscapeRun& run, int a, int b, int c, int d, float length);

// The horizontal run, in spacings, of the move (dx, dy): the float nearest its root.
float plainMultiplier(int dx, int dy);

struct PlainPrices {
    float length; // metres
    float energy; // joules
    double time;  // seconds
};

// The prices of the passable move (dx, dy) from (a, b): a one-cell move from its two cells, in
// floats; a longer one piece by piece along its line, between the grid lines it crosses, in
// double and rounded once.
PlainPrices plainMovePrices(const LandscapeRun& run, int a, int b, int dx, int dy);

// The route tables of the sweep from the run's settings.startX/startY; the time tables too when
// the run is timed.
RouteSnapshot plainComputeRoutes(const LandscapeRun& run);

// Where the oracle's search starts (none: the settings' start) and whether it takes the moves
// reversed: a cell's cost is then that of the least route from it to a start, each move priced
// from its own first cell.
struct PlainSearch {
    std::vector<Cell> starts;
    bool reversed = false;
};

// The least costs from settings.startX/startY (or every start of `from`, each at cost 0) by
// textbook Dijkstra (std::priority_queue, lazy deletion), each step priced on the spot by the
// rules; of equally cheap routes, the one least in the other measure, whose totals it fills in
// too.
RouteSnapshot plainExactRoutes(const LandscapeRun& run, const PlainSearch& from = {});

// Calls visit(x, y) for every position of the plain spiral walker on the run's ground, in order:
// legs k = 1, 3, ... while k < twice the longer side.
template <typename Visit>
void plainSpiralWalk(const LandscapeRun& run, int startX, int startY, Visit&& visit) {
    const GridShape& shape = run.terrain.shape();
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
