#include "tests/unit/plainSweep.h"

#include "planner/routeTables.h"
#include "planner/stepRules.h"
#include "terrain/settings.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace {

struct PlainNeighbour {
    int dx;
    int dy;
    float multiplier;
};

// Written out again rather than shared with the product, so a slip in either shows.
const PlainNeighbour PLAIN_NEIGHBOURS[8] = {
    {1, 1, DIAGONAL_STEP},  {1, 0, STRAIGHT_STEP},  {1, -1, DIAGONAL_STEP}, {0, 1, STRAIGHT_STEP},
    {0, -1, STRAIGHT_STEP}, {-1, 1, DIAGONAL_STEP}, {-1, 0, STRAIGHT_STEP}, {-1, -1, DIAGONAL_STEP},
};

void plainRelax(float& cost, GridPoint& previous, double candidate, int a, int b) {
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous.x = a;
        previous.y = b;
    }
}

// Calls step(nx, ny, length, energy) for every passable step out of (a, b), in table order,
// each measured and priced on the spot.
template <typename Step> void forEachPassableStep(int a, int b, Step&& step) {
    const TerrainVertex& from = terrainVertices[a][b];
    for (const PlainNeighbour& n : PLAIN_NEIGHBOURS) {
        const int nx = a + n.dx;
        const int ny = b + n.dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        const TerrainVertex& to = terrainVertices[nx][ny];
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        if (isPassable(n.multiplier, length)) {
            step(nx, ny, length, stepEnergy(from.z, to.z, settings.vehicleMass));
        }
    }
}

void plainRelaxNeighbours(int a, int b) {
    forEachPassableStep(a, b, [a, b](int nx, int ny, float length, float energy) {
        plainRelax(distanceTable[nx][ny], previousDistanceVertices[nx][ny],
                   static_cast<double>(distanceTable[a][b]) + static_cast<double>(length), a, b);
        plainRelax(energyTable[nx][ny], previousEnergyVertices[nx][ny],
                   static_cast<double>(energyTable[a][b]) + static_cast<double>(energy), a, b);
    });
}

void plainReset(int startX, int startY) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            distanceTable[x][y] = UNREACHED_COST;
            previousDistanceVertices[x][y] = {NO_PREVIOUS, NO_PREVIOUS, 0};
            energyTable[x][y] = UNREACHED_COST;
            previousEnergyVertices[x][y] = {NO_PREVIOUS, NO_PREVIOUS, 0};
        }
    }
    if (isInsideGrid(startX, startY)) {
        distanceTable[startX][startY] = 0.0f;
        energyTable[startX][startY] = 0.0f;
    }
}

} // namespace

void plainComputeRoutes() {
    plainReset(settings.startX, settings.startY);
    plainSpiralWalk(settings.startX, settings.startY, plainRelaxNeighbours);
}

namespace {

using Queued = std::pair<float, int>; // cost, x * GRID_SIZE + y

void plainDijkstra(CostTable& cost, PreviousTable& previous, bool byEnergy) {
    static bool done[GRID_SIZE][GRID_SIZE];
    std::fill(&done[0][0], &done[0][0] + GRID_CELLS, false);
    std::priority_queue<Queued, std::vector<Queued>, std::greater<Queued>> queue;
    queue.push({0.0f, settings.startX * GRID_SIZE + settings.startY});
    while (!queue.empty()) {
        const int cell = queue.top().second;
        queue.pop();
        const int a = cell / GRID_SIZE;
        const int b = cell % GRID_SIZE;
        if (done[a][b]) {
            continue;
        }
        done[a][b] = true;
        forEachPassableStep(a, b, [&](int nx, int ny, float length, float energy) {
            const float step = byEnergy ? energy : length;
            const double candidate = static_cast<double>(cost[a][b]) + static_cast<double>(step);
            if (!done[nx][ny] && cost[nx][ny] > candidate) {
                plainRelax(cost[nx][ny], previous[nx][ny], candidate, a, b);
                queue.push({cost[nx][ny], nx * GRID_SIZE + ny});
            }
        });
    }
}

} // namespace

void plainExactRoutes() {
    plainReset(settings.startX, settings.startY);
    if (!isInsideGrid(settings.startX, settings.startY)) {
        return;
    }
    plainDijkstra(distanceTable, previousDistanceVertices, false);
    plainDijkstra(energyTable, previousEnergyVertices, true);
}
