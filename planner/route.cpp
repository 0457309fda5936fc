#include "planner/route.h"

#include "planner/routeWalk.h"

Route readRoute(const TerrainPositions& terrain, const StepPricing& pricing,
                const RouteTables& tables, Measure measure, const RouteEnds& ends) {
    Route route;
    route.measure = measure;
    const CostTable& costs = tables.costs(measure);
    if (!costs.shape().contains(ends.startX, ends.startY) || !costs.reaches(ends.endX, ends.endY)) {
        return route;
    }
    route.reachable = true;
    route.cells =
        routeFromStart(tables.previous(measure), ends.startX, ends.startY, ends.endX, ends.endY);
    float along = 0.0f;
    for (std::size_t k = 0; k < route.cells.size(); ++k) {
        const Cell& to = route.cells[k];
        const TerrainVertex b = terrain[to.x][to.y];
        if (k > 0) {
            const Cell& from = route.cells[k - 1];
            const TerrainVertex a = terrain[from.x][from.y];
            along += segmentLength(a.x, b.x, a.y, b.y, a.z, b.z);
            route.energyJoules +=
                pricedStepEnergy(pricing, a.z, b.z, from.x != to.x && from.y != to.y);
        }
        route.along.push_back(along);
    }
    route.lengthMetres = along;
    (measure == Measure::Distance ? route.lengthMetres : route.energyJoules) =
        costs[ends.endX][ends.endY];
    return route;
}
