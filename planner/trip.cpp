// Ordering a trip's legs and joining their routes measure by measure.

#include "planner/trip.h"

std::vector<Cell> tripPoints(const RouteEnds& ends, const std::vector<Cell>& via) {
    std::vector<Cell> points = {{ends.startX, ends.startY}};
    points.insert(points.end(), via.begin(), via.end());
    points.push_back({ends.endX, ends.endY});
    return points;
}

std::vector<std::vector<Route>> planTripLegs(const std::vector<Cell>& points,
                                             const LegPlanner& planLeg) {
    const std::size_t legCount = points.size() < 2 ? 0 : points.size() - 1;
    std::vector<std::vector<Route>> legs(legCount);
    for (std::size_t k = legCount; k-- > 0;) {
        legs[k] = planLeg(points[k], points[k + 1]);
    }
    return legs;
}

namespace {

RouteLeg legOf(const Route& route, const Cell& from, const Cell& to) {
    return {from, to, route.reachable, route.lengthMetres, route.energyJoules, route.timeSeconds};
}

// Appends `leg` to `trip`, which holds the legs before it; the cell the two share is kept once.
void appendLeg(Route& trip, const Route& leg) {
    const float alongBefore = trip.along.empty() ? 0.0f : trip.along.back();
    const float costBefore = trip.costs.empty() ? 0.0f : trip.costs.back();
    const std::size_t first = trip.cells.empty() ? 0 : 1;
    for (std::size_t k = first; k < leg.cells.size(); ++k) {
        trip.cells.push_back(leg.cells[k]);
        trip.along.push_back(alongBefore + leg.along[k]);
        trip.costs.push_back(costBefore + leg.costs[k]);
    }
    // Each leg's last cost is its least cost, so the trip's last is their sum, as its total is.
    trip.lengthMetres += leg.lengthMetres;
    trip.energyJoules += leg.energyJoules;
    trip.timeSeconds += leg.timeSeconds;
}

} // namespace

std::vector<Route> joinLegs(const std::vector<Cell>& points,
                            const std::vector<std::vector<Route>>& legs) {
    std::vector<Route> joined;
    if (legs.empty() || points.size() != legs.size() + 1) {
        return joined;
    }
    joined.resize(legs.front().size());
    for (std::size_t m = 0; m < joined.size(); ++m) {
        Route& trip = joined[m];
        trip.measure = legs.front()[m].measure;
        trip.reachable = true;
        for (const std::vector<Route>& leg : legs) {
            trip.reachable = trip.reachable && leg[m].reachable;
        }
        for (std::size_t k = 0; k < legs.size(); ++k) {
            const Route& leg = legs[k][m];
            trip.legs.push_back(legOf(leg, points[k], points[k + 1]));
            if (trip.reachable) {
                appendLeg(trip, leg);
            }
        }
        trip.end = points.back();
    }
    return joined;
}
