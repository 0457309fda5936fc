#include "planner/routeSweep.h"

#include "planner/runState.h"
#include "planner/spiralOrder.h"

#include <algorithm>
#include <cstdint>

namespace {

// Stores the candidate base + step when it is strictly below the stored cost. The test is on the
// exact sum (a double holds the sum of two floats exactly), the stored value is rounded: a
// candidate that rounds to the stored cost but lies below it still wins.
inline void offer(float& cost, uint8_t& previous, float base, float step, uint8_t from) {
    const double candidate = static_cast<double>(base) + static_cast<double>(step);
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous = from;
    }
}

} // namespace

void relaxNeighbours(const PlanningGrid& grid, RouteTables& tables, int a, int b) {
    const std::size_t p = grid.shape.index(a, b);
    float* distance = tables.distance.data();
    float* energy = tables.energy.data();
    const float baseDistance = distance[p];
    const float baseEnergy = energy[p];
    // Both measures step over the same passable steps, so a cell unreached in distance is
    // unreached in energy too, and has nothing to offer.
    if (baseDistance == UNREACHED_COST) {
        return;
    }
    const uint8_t steps = grid.steps[p];
    if (steps == 0) {
        return;
    }
    uint8_t* distanceFrom = tables.previousDistance.steps();
    uint8_t* energyFrom = tables.previousEnergy.steps();
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        if ((steps & (1u << d)) == 0) {
            continue;
        }
        const std::size_t q = p + neighbourOffset(d, grid.shape.rows);
        const auto arrived = static_cast<uint8_t>(d + 1);
        offer(distance[q], distanceFrom[q], baseDistance, stepLengthAt(grid, p, d), arrived);
        offer(energy[q], energyFrom[q], baseEnergy, stepEnergyAt(grid, p, d), arrived);
    }
}

void relaxNeighbours(int a, int b) {
    relaxNeighbours(planningGrid, landscapeRun.tables, a, b);
}

void sweepRoutes(const PlanningGrid& grid, int startX, int startY, RouteTables& out) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    resetRouteTables(out, startX, startY);
    forEachSpiralCell(grid.shape, startX, startY,
                      [&grid, &out](int a, int b) { relaxNeighbours(grid, out, a, b); });
}
