// Reading a route back from the tables and pricing its moves again, from the start.
#include "planner/route.h"

#include "planner/routeWalk.h"

Route readRoute(const TerrainPositions& terrain, const StepPrices& prices,
                const RouteTables& tables, Measure measure, const RouteEnds& ends) {
    Route route;
    route.measure = measure;
    route.end = {ends.endX, ends.endY};
    const CostTable& costs = tables.costs(measure);
    if (!costs.shape().contains(ends.startX, ends.startY) || !costs.reaches(ends.endX, ends.endY)) {
        return route;
    }
    route.reachable = true;
    route.cells =
        routeFromStart(tables.previous(measure), ends.startX, ends.startY, ends.endX, ends.endY);
    route.along.reserve(route.cells.size());
    route.costs.reserve(route.cells.size());
    float along = 0.0f;
    double seconds = 0.0;
    for (std::size_t k = 0; k < route.cells.size(); ++k) {
        if (k > 0) {
            const Cell& from = route.cells[k - 1];
            const Cell& to = route.cells[k];
            const std::size_t p = terrain.shape().index(from.x, from.y);
            const int d = prices.moves().numberOf(to.x - from.x, to.y - from.y);
            const float za = terrain.height(from.x, from.y);
            const float zb = terrain.height(to.x, to.y);
            along += prices.length(p, d, za, zb);
            route.energyJoules += prices.energy(p, d, za, zb);
            seconds += prices.time(p, d, za, zb);
        }
        route.along.push_back(along);
        route.costs.push_back(costs[route.cells[k].x][route.cells[k].y]);
    }
    route.lengthMetres = along;
    route.timeSeconds = static_cast<float>(seconds);
    ownTotal(route) = costs[ends.endX][ends.endY];
    return route;
}
