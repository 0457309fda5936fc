#include "planner/routeSweep.h"

#include "planner/spiralOrder.h"

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

// The same offer made directly on a route table entry, for relaxNeighbours.
void offerOnRouteTables(float& cost, GridPoint& previous, float base, float step, int a, int b) {
    const double candidate = static_cast<double>(base) + static_cast<double>(step);
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous.x = a;
        previous.y = b;
    }
}

// Offers the costs of the cell at `source` to its neighbour D. `source` points into the grid's
// cells, whose margin gives every grid cell eight neighbours in the array.
template <int D>
inline void offerStep(const StepCost* stepCosts, SweepCell* source, float distance, float energy,
                      uint32_t kinds) {
    constexpr auto arrived = static_cast<uint8_t>(D + 1);
    SweepCell& to = source[neighbourOffset(D)];
    const StepCost& cost = stepCosts[(kinds >> (STEP_KIND_BITS * D)) & STEP_KIND_MASK];
    offer(to.distance, to.distanceFrom, distance, cost.length, arrived);
    offer(to.energy, to.energyFrom, energy, cost.energy, arrived);
}

inline void sweepFrom(PlanningGrid& grid, int a, int b) {
    SweepCell* source = &grid.cells[a + 1][b + 1];
    const float distance = source->distance;
    const float energy = source->energy;
    // Both measures step over the same passable steps, so a cell unreached in distance is
    // unreached in energy too, and has nothing to offer.
    if (distance == UNREACHED_COST) {
        return;
    }
    // Steps not taken cost +infinity, so all eight are offered without a test.
    const uint32_t kinds = source->stepKinds;
    const StepCost* costs = grid.stepCosts;
    offerStep<0>(costs, source, distance, energy, kinds);
    offerStep<1>(costs, source, distance, energy, kinds);
    offerStep<2>(costs, source, distance, energy, kinds);
    offerStep<3>(costs, source, distance, energy, kinds);
    offerStep<4>(costs, source, distance, energy, kinds);
    offerStep<5>(costs, source, distance, energy, kinds);
    offerStep<6>(costs, source, distance, energy, kinds);
    offerStep<7>(costs, source, distance, energy, kinds);
}

// Moves the sweep's result into the four route tables, leaving the grid's cells clear for the
// next run (one pass over them instead of two).
void publishSweep(PlanningGrid& grid, const RouteTableSet& out) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            SweepCell& cell = grid.cells[x + 1][y + 1];
            out.distance[x][y] = cell.distance;
            out.energy[x][y] = cell.energy;
            out.previousDistance[x][y] = previousFromStep(x, y, cell.distanceFrom);
            out.previousEnergy[x][y] = previousFromStep(x, y, cell.energyFrom);
            clearSweepCell(cell);
        }
    }
}

} // namespace

void relaxNeighbours(int a, int b) {
    const float distance = distanceTable[a][b];
    const float energy = energyTable[a][b];
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        const int nx = a + NEIGHBOUR_STEPS[d].dx;
        const int ny = b + NEIGHBOUR_STEPS[d].dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        const StepCost& cost = planningGrid.stepCosts[stepKindAt(planningGrid, a, b, d)];
        offerOnRouteTables(distanceTable[nx][ny], previousDistanceVertices[nx][ny], distance,
                           cost.length, a, b);
        offerOnRouteTables(energyTable[nx][ny], previousEnergyVertices[nx][ny], energy, cost.energy,
                           a, b);
    }
}

void sweepRoutes(PlanningGrid& grid, int startX, int startY, const RouteTableSet& out) {
    // The sweep runs on the grid's cells, where a cell and its neighbours share a few cache lines
    // and pages; the route tables are written once at the end.
    if (canStartAt(grid, startX, startY)) {
        grid.cells[startX + 1][startY + 1].distance = 0.0f;
        grid.cells[startX + 1][startY + 1].energy = 0.0f;
    }
    forEachSpiralCell(startX, startY, [&grid](int a, int b) { sweepFrom(grid, a, b); });
    publishSweep(grid, out);
}
