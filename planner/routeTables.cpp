// Resetting the route tables before a plan.
#include "planner/routeTables.h"

#include <algorithm>

void resetRouteTables(RouteTables& tables, int startX, int startY, bool timed) {
    const GridShape& shape = tables.shape();
    const auto unreach = [&](CostTable& costs, PreviousTable& previous) {
        std::fill(costs.data(), costs.data() + shape.cells(), UNREACHED_COST);
        std::fill(previous.steps(), previous.steps() + shape.cells(), FROM_NOWHERE);
    };
    unreach(tables.distance, tables.previousDistance);
    unreach(tables.energy, tables.previousEnergy);
    // Untimed plans leave the time tables as the first of them left them: unreached.
    if (timed || tables.timed) {
        unreach(tables.time, tables.previousTime);
    }
    tables.timed = timed;
    if (!shape.contains(startX, startY)) {
        return;
    }
    tables.distance[startX][startY] = 0.0f;
    tables.energy[startX][startY] = 0.0f;
    if (timed) {
        tables.time[startX][startY] = 0.0f;
    }
}
