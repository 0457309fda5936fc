#include "planner/routeSweep.h"

#include "planner/routeTables.h"
#include "planner/spiralOrder.h"
#include "planner/stepTable.h"
#include "terrain/settings.h"

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

// Offers the costs of the cell at `source` to its neighbour D. `source` points into sweepGrid,
// whose margin gives every grid cell eight neighbours in the array.
template <int D>
inline void offerStep(SweepCell* source, float distance, float energy, uint32_t kinds) {
    constexpr NeighbourStep step = NEIGHBOUR_STEPS[D];
    constexpr auto arrived = static_cast<uint8_t>(D + 1);
    SweepCell& to = source[step.dx * SWEEP_SIZE + step.dy];
    const StepCost& cost = stepCosts[(kinds >> (STEP_KIND_BITS * D)) & STEP_KIND_MASK];
    offer(to.distance, to.distanceFrom, distance, cost.length, arrived);
    offer(to.energy, to.energyFrom, energy, cost.energy, arrived);
}

inline void sweepFrom(int a, int b) {
    SweepCell* source = &sweepGrid[a + 1][b + 1];
    const float distance = source->distance;
    const float energy = source->energy;
    // Both measures step over the same passable steps, so a cell unreached in distance is
    // unreached in energy too, and has nothing to offer.
    if (distance == UNREACHED_COST) {
        return;
    }
    // Steps not taken cost +infinity, so all eight are offered without a test.
    const uint32_t kinds = source->stepKinds;
    offerStep<0>(source, distance, energy, kinds);
    offerStep<1>(source, distance, energy, kinds);
    offerStep<2>(source, distance, energy, kinds);
    offerStep<3>(source, distance, energy, kinds);
    offerStep<4>(source, distance, energy, kinds);
    offerStep<5>(source, distance, energy, kinds);
    offerStep<6>(source, distance, energy, kinds);
    offerStep<7>(source, distance, energy, kinds);
}

GridPoint previousOf(int x, int y, uint8_t from) {
    if (from == FROM_NOWHERE) {
        return {NO_PREVIOUS, NO_PREVIOUS, 0};
    }
    const NeighbourStep& step = NEIGHBOUR_STEPS[from - 1];
    return {x - step.dx, y - step.dy, 0};
}

// Moves the sweep's result into the four route tables, leaving sweepGrid clear for the next run
// (one pass over it instead of two).
void publishSweepGrid() {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            SweepCell& cell = sweepGrid[x + 1][y + 1];
            distanceTable[x][y] = cell.distance;
            energyTable[x][y] = cell.energy;
            previousDistanceVertices[x][y] = previousOf(x, y, cell.distanceFrom);
            previousEnergyVertices[x][y] = previousOf(x, y, cell.energyFrom);
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
        const StepCost& cost = stepCosts[stepKindAt(a, b, d)];
        offerOnRouteTables(distanceTable[nx][ny], previousDistanceVertices[nx][ny], distance,
                           cost.length, a, b);
        offerOnRouteTables(energyTable[nx][ny], previousEnergyVertices[nx][ny], energy, cost.energy,
                           a, b);
    }
}

void computeRoutes() {
    // The sweep runs on sweepGrid, where a cell and its neighbours share a few cache lines and
    // pages; the route tables are written once at the end. sweepGrid starts clear.
    const int startX = settings.startX;
    const int startY = settings.startY;
    // A start without ground is reached by nothing, itself included: its cost stays unreached.
    if (isInsideGrid(startX, startY) && hasGround(terrainVertices[startX][startY])) {
        sweepGrid[startX + 1][startY + 1].distance = 0.0f;
        sweepGrid[startX + 1][startY + 1].energy = 0.0f;
    }
    forEachSpiralCell(startX, startY, [](int a, int b) { sweepFrom(a, b); });
    publishSweepGrid();
}
