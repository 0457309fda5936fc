#include "app/plannedRoutes.h"

#include "planner/planningGrid.h"
#include "planner/routeWalk.h"
#include "planner/stepRules.h"
#include "render/overlays.h"

namespace {

enum class Measure { Distance, Energy };

RouteFeature describeRoute(Measure measure, const CostTable& costs, const PreviousTable& previous,
                           const Settings& s) {
    RouteFeature route;
    route.measure = measure == Measure::Distance ? "distance" : "energy";
    if (!costs.reaches(s.endX, s.endY)) {
        return route;
    }
    route.cells = routeFromStart(previous, s.startX, s.startY, s.endX, s.endY);
    for (size_t k = 1; k < route.cells.size(); ++k) {
        const GridPoint& from = route.cells[k - 1];
        const GridPoint& to = route.cells[k];
        const TerrainVertex a = terrainVertices[from.x][from.y];
        const TerrainVertex b = terrainVertices[to.x][to.y];
        route.lengthMetres += segmentLength(a.x, b.x, a.y, b.y, a.z, b.z);
        route.energyJoules +=
            pricedStepEnergy(planningGrid.pricing, a.z, b.z, from.x != to.x && from.y != to.y);
    }
    (measure == Measure::Distance ? route.lengthMetres : route.energyJoules) =
        costs[s.endX][s.endY];
    route.reachable = true;
    route.miles = distanceInMiles(route.lengthMetres);
    route.gallons = route.miles * fuelPerMile(s.speedMph);
    return route;
}

} // namespace

std::vector<RouteFeature> plannedRoutes(const Settings& s) {
    return {describeRoute(Measure::Distance, distanceTable, previousDistanceVertices, s),
            describeRoute(Measure::Energy, energyTable, previousEnergyVertices, s)};
}
