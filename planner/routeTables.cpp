// Resetting the route tables before a plan.
#include "planner/routeTables.h"

#include <algorithm>

void resetRouteTables(RouteTables& tables, int startX, int startY) {
    const GridShape& shape = tables.shape();
    std::fill(tables.distance.data(), tables.distance.data() + shape.cells(), UNREACHED_COST);
    std::fill(tables.energy.data(), tables.energy.data() + shape.cells(), UNREACHED_COST);
    std::fill(tables.previousDistance.steps(), tables.previousDistance.steps() + shape.cells(),
              FROM_NOWHERE);
    std::fill(tables.previousEnergy.steps(), tables.previousEnergy.steps() + shape.cells(),
              FROM_NOWHERE);
    if (!shape.contains(startX, startY)) {
        return;
    }
    tables.distance[startX][startY] = 0.0f;
    tables.energy[startX][startY] = 0.0f;
}
