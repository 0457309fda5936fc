// Resetting the route tables before a plan.
#include "planner/routeTables.h"

#include <algorithm>

namespace {

void unreach(const GridShape& shape, CostTable& costs, PreviousTable& previous) {
    std::fill(costs.data(), costs.data() + shape.cells(), UNREACHED_COST);
    std::fill(previous.steps(), previous.steps() + shape.cells(), FROM_NOWHERE);
}

} // namespace

void resetRouteTables(RouteTables& tables, int startX, int startY, bool timed) {
    const GridShape& shape = tables.shape();
    unreach(shape, tables.distance, tables.previousDistance);
    unreach(shape, tables.energy, tables.previousEnergy);
    if (timed) {
        unreach(shape, tables.time, tables.previousTime);
        tables.timed = true;
    } else {
        forgetTimes(tables);
    }
    if (!shape.contains(startX, startY)) {
        return;
    }
    tables.distance[startX][startY] = 0.0f;
    tables.energy[startX][startY] = 0.0f;
    if (timed) {
        tables.time[startX][startY] = 0.0f;
    }
}

void forgetTimes(RouteTables& tables) {
    // Untimed plans leave the time tables as the first of them left them: unreached.
    if (tables.timed) {
        unreach(tables.shape(), tables.time, tables.previousTime);
        tables.timed = false;
    }
}
