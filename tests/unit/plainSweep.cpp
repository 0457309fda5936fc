#include "tests/unit/plainSweep.h"

#include "planner/stepRules.h"

#include <cmath>
#include <functional>
#include <queue>
#include <tuple>
#include <utility>
#include <vector>

// m g (climb + descent * drop), plus rolling m g run when there is rolling resistance.
float plainEnergy(const LandscapeRun& landscape, float rise, float multiplier) {
    const TerrainPositions& terrainVertices = landscape.terrain;
    const Settings& settings = landscape.settings;
    const float massGravity = settings.vehicle.vehicleMass * GRAVITY;
    const float lift = rise > 0.0f ? std::fabs(rise) : std::fabs(rise) * settings.vehicle.descent;
    const float energy = lift * massGravity;
    if (settings.vehicle.rolling == 0.0f) {
        return energy;
    }
    const float run = multiplier * static_cast<float>(terrainVertices.shape().spacing);
    return energy + settings.vehicle.rolling * massGravity * run;
}

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

// A cell no route enters or leaves: no ground, or closed by a barrier.
bool closed(const LandscapeRun& run, int x, int y) {
    const TerrainPositions& terrainVertices = run.terrain;
    const std::vector<uint8_t>& barriers = run.barriers;
    return std::isnan(terrainVertices[x][y].z) ||
           (!barriers.empty() && barriers[terrainVertices.shape().index(x, y)] != 0);
}

// The grade test of the settings' vehicle: a climb against the up limit, a descent against the
// down limit (each atan(percent / 100) radians against the float arc cosine of the slope ratio);
// a level step passes.
bool plainPassable(const LandscapeRun& run, float multiplier, float length, float rise) {
    const TerrainPositions& terrainVertices = run.terrain;
    const Settings& settings = run.settings;
    if (rise == 0.0f) {
        return true;
    }
    const float ratio = multiplier * static_cast<float>(terrainVertices.shape().spacing) / length;
    const double percent =
        rise > 0.0f ? settings.vehicle.gradeUpPercent : settings.vehicle.gradeDownPercent;
    const float angle = ratio > 1.0f ? 0.0f : static_cast<float>(std::acos(double(ratio)));
    return std::atan(percent / 100.0) >= angle;
}

// Calls step(nx, ny, length, energy) for every passable step out of (a, b), in table order,
// each measured and priced on the spot.
template <typename Step>
void forEachPassableStep(const LandscapeRun& run, int a, int b, Step&& step) {
    if (closed(run, a, b)) {
        return;
    }
    const TerrainPositions& terrainVertices = run.terrain;
    const TerrainVertex from = terrainVertices[a][b];
    for (const PlainNeighbour& n : PLAIN_NEIGHBOURS) {
        const int nx = a + n.dx;
        const int ny = b + n.dy;
        if (!isInsideGrid(run, nx, ny) || closed(run, nx, ny)) {
            continue;
        }
        const TerrainVertex to = terrainVertices[nx][ny];
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        const float rise = to.z - from.z;
        if (plainPassable(run, n.multiplier, length, rise)) {
            step(nx, ny, length, plainEnergy(run, rise, n.multiplier));
        }
    }
}

// Unreached everywhere, both start costs 0 when the start can be planned from.
RouteSnapshot plainReset(const LandscapeRun& run, int startX, int startY) {
    RouteSnapshot t;
    t.clear(run.terrain.shape());
    if (isInsideGrid(run, startX, startY) && !closed(run, startX, startY)) {
        t.distance[t.shape.index(startX, startY)] = 0.0f;
        t.energy[t.shape.index(startX, startY)] = 0.0f;
    }
    return t;
}

} // namespace

RouteSnapshot plainComputeRoutes(const LandscapeRun& run) {
    const Settings& settings = run.settings;
    RouteSnapshot t = plainReset(run, settings.startX, settings.startY);
    plainSpiralWalk(run, settings.startX, settings.startY, [&run, &t](int a, int b) {
        const std::size_t from = t.shape.index(a, b);
        forEachPassableStep(run, a, b, [&](int nx, int ny, float length, float energy) {
            const std::size_t to = t.shape.index(nx, ny);
            plainRelax(t.distance[to], t.previousDistance[to],
                       static_cast<double>(t.distance[from]) + static_cast<double>(length), a, b);
            plainRelax(t.energy[to], t.previousEnergy[to],
                       static_cast<double>(t.energy[from]) + static_cast<double>(energy), a, b);
        });
    });
    return t;
}

namespace {

using Queued = std::tuple<double, double, std::size_t>; // cost, other measure, flat index

// Least cost first and, of equal costs, least in the other measure, which `other` holds for the
// route `previous` names. Costs are summed in double along a route and rounded to float once,
// into `stored`.
void plainDijkstra(const LandscapeRun& run, const GridShape& shape, std::vector<float>& stored,
                   std::vector<double>& other, std::vector<GridPoint>& previous, bool byEnergy) {
    std::vector<bool> done(shape.cells(), false);
    std::vector<double> cost(shape.cells(), UNREACHED_COST);
    std::priority_queue<Queued, std::vector<Queued>, std::greater<Queued>> queue;
    const std::size_t start = shape.index(run.settings.startX, run.settings.startY);
    other.assign(shape.cells(), UNREACHED_COST);
    cost[start] = 0.0;
    other[start] = 0.0;
    queue.push({0.0, 0.0, start});
    while (!queue.empty()) {
        const std::size_t cell = std::get<2>(queue.top());
        queue.pop();
        if (done[cell]) {
            continue;
        }
        done[cell] = true;
        const int a = static_cast<int>(cell / shape.rows);
        const int b = static_cast<int>(cell % shape.rows);
        forEachPassableStep(run, a, b, [&](int nx, int ny, float length, float energy) {
            const std::size_t next = shape.index(nx, ny);
            const double sum = cost[cell] + (byEnergy ? energy : length);
            const double otherSum = other[cell] + (byEnergy ? length : energy);
            if (done[next] || sum > cost[next] ||
                (sum == cost[next] && !(otherSum < other[next]))) {
                return;
            }
            cost[next] = sum;
            other[next] = otherSum;
            previous[next] = {a, b, 0};
            queue.push({sum, otherSum, next});
        });
    }
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        stored[p] = static_cast<float>(cost[p]);
    }
}

} // namespace

RouteSnapshot plainExactRoutes(const LandscapeRun& run) {
    const Settings& settings = run.settings;
    RouteSnapshot t = plainReset(run, settings.startX, settings.startY);
    if (!isInsideGrid(run, settings.startX, settings.startY) ||
        closed(run, settings.startX, settings.startY)) {
        return t;
    }
    plainDijkstra(run, t.shape, t.distance, t.energyAlongDistance, t.previousDistance, false);
    plainDijkstra(run, t.shape, t.energy, t.lengthAlongEnergy, t.previousEnergy, true);
    return t;
}
