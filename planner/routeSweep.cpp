#include "planner/routeSweep.h"

#include "planner/routeTables.h"
#include "planner/stepRules.h"
#include "terrain/settings.h"

namespace {

struct NeighbourStep {
    int dx;
    int dy;
    float multiplier;
};

// The order decides which of two equal candidates becomes the predecessor.
constexpr NeighbourStep NEIGHBOUR_STEPS[8] = {
    {1, 1, DIAGONAL_STEP},  {1, 0, STRAIGHT_STEP},  {1, -1, DIAGONAL_STEP},
    {0, 1, STRAIGHT_STEP},  {0, -1, STRAIGHT_STEP}, {-1, 1, DIAGONAL_STEP},
    {-1, 0, STRAIGHT_STEP}, {-1, -1, DIAGONAL_STEP},
};

// Stores `candidate` when strictly below the stored cost; the test is on the exact sum.
void relax(float& cost, GridPoint& previous, double candidate, int a, int b) {
    if (!(cost > candidate)) {
        return;
    }
    cost = static_cast<float>(candidate);
    previous.x = a;
    previous.y = b;
}

void relaxIfInside(int i, int j) {
    if (isInsideGrid(i, j)) {
        relaxNeighbours(i, j);
    }
}

} // namespace

void relaxNeighbours(int a, int b) {
    const TerrainVertex& from = terrainVertices[a][b];
    for (const NeighbourStep& step : NEIGHBOUR_STEPS) {
        const int nx = a + step.dx;
        const int ny = b + step.dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        const TerrainVertex& to = terrainVertices[nx][ny];
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        if (!isPassable(step.multiplier, length)) {
            continue;
        }
        relax(distanceTable[nx][ny], previousDistanceVertices[nx][ny],
              static_cast<double>(distanceTable[a][b]) + length, a, b);
        const float energy = stepEnergy(from.z, to.z, settings.vehicleMass);
        relax(energyTable[nx][ny], previousEnergyVertices[nx][ny],
              static_cast<double>(energyTable[a][b]) + energy, a, b);
    }
}

void computeRoutes() {
    resetRouteTables(settings.startX, settings.startY);
    int i = settings.startX;
    int j = settings.startY;
    relaxNeighbours(i, j);
    // Square spiral: legs of k, k, k + 1, k + 1 moves; moves outside the grid relax nothing.
    for (int k = 1; k < 2 * GRID_SIZE; k += 2) {
        for (int n = 0; n < k; ++n) {
            relaxIfInside(++i, j);
        }
        for (int n = 0; n < k; ++n) {
            relaxIfInside(i, ++j);
        }
        for (int n = 0; n < k + 1; ++n) {
            relaxIfInside(--i, j);
        }
        for (int n = 0; n < k + 1; ++n) {
            relaxIfInside(i, --j);
        }
    }
}
