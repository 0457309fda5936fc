#include "planner/routeSweep.h"

#include "planner/routeTables.h"
#include "planner/spiralOrder.h"
#include "planner/stepTable.h"
#include "terrain/settings.h"

namespace {

// Stores the candidate base + step when it is strictly below the stored cost. The test is on the
// exact sum (a double holds the sum of two floats exactly), the stored value is rounded: a
// candidate that rounds to the stored cost but lies below it still wins.
inline void offer(float& cost, GridPoint& previous, float base, float step, int a, int b) {
    const double candidate = static_cast<double>(base) + static_cast<double>(step);
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous.x = a;
        previous.y = b;
    }
}

template <int D>
inline void offerStep(int a, int b, float distance, float energy, const CellSteps& steps) {
    constexpr NeighbourStep step = NEIGHBOUR_STEPS[D];
    const int nx = a + step.dx;
    const int ny = b + step.dy;
    offer(distanceTable[nx][ny], previousDistanceVertices[nx][ny], distance, steps.length[D], a, b);
    offer(energyTable[nx][ny], previousEnergyVertices[nx][ny], energy, steps.energy[D], a, b);
}

inline bool isInterior(int a, int b) {
    return a > 0 && a < GRID_SIZE - 1 && b > 0 && b < GRID_SIZE - 1;
}

inline void relaxCell(int a, int b) {
    const float distance = distanceTable[a][b];
    const float energy = energyTable[a][b];
    // Reached in one measure means reached in both; an unreached cell has nothing to offer.
    if (distance == UNREACHED_COST && energy == UNREACHED_COST) {
        return;
    }
    const CellSteps& steps = stepTable[a][b];
    if (isInterior(a, b)) {
        // Impassable steps hold +infinity, so all eight are offered without a test.
        offerStep<0>(a, b, distance, energy, steps);
        offerStep<1>(a, b, distance, energy, steps);
        offerStep<2>(a, b, distance, energy, steps);
        offerStep<3>(a, b, distance, energy, steps);
        offerStep<4>(a, b, distance, energy, steps);
        offerStep<5>(a, b, distance, energy, steps);
        offerStep<6>(a, b, distance, energy, steps);
        offerStep<7>(a, b, distance, energy, steps);
        return;
    }
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        const int nx = a + NEIGHBOUR_STEPS[d].dx;
        const int ny = b + NEIGHBOUR_STEPS[d].dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        offer(distanceTable[nx][ny], previousDistanceVertices[nx][ny], distance, steps.length[d], a,
              b);
        offer(energyTable[nx][ny], previousEnergyVertices[nx][ny], energy, steps.energy[d], a, b);
    }
}

} // namespace

void relaxNeighbours(int a, int b) {
    relaxCell(a, b);
}

void computeRoutes() {
    resetRouteTables(settings.startX, settings.startY);
    forEachSpiralCell(settings.startX, settings.startY, relaxCell);
}
