// The run's operations: pricing its steps with the barriers the settings switch on, taking new
// ground, planning, and reading back its routes and its scene inputs.

#include "app/landscapeRun.h"

#include "planner/groundReport.h"
#include "planner/nearestStart.h"
#include "planner/sideSlope.h"
#include "planner/trip.h"
#include "render/overlays.h"

#include <utility>

const std::vector<uint8_t>& activeBarriers(const LandscapeRun& run) {
    static const std::vector<uint8_t> none;
    return run.settings.barriersOn ? run.barriers : none;
}

void priceSteps(LandscapeRun& run) {
    buildPlanningGrid(run.terrain,
                      GroundUse{run.settings.vehicle, moveSetFor(run.settings.moves),
                                activeBarriers(run), run.cover, run.timed, run.kernels},
                      run.grid);
}

void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights) {
    run.terrain.assign(shape, std::move(heights));
    run.tables.resize(shape);
    priceSteps(run);
}

const std::vector<Route>* tripToExport(const LandscapeRun& run) {
    return run.settings.via.empty() ? nullptr : &run.trip;
}

namespace {

std::size_t plannedMeasures(const LandscapeRun& run) {
    return static_cast<std::size_t>(run.tables.timed ? MEASURE_COUNT : MEASURE_COUNT - 1);
}

// Each measure's route of the plan in the run's tables between `ends`; with several starts, from
// the start nearest ends' end in that measure instead.
std::vector<Route> routesBetween(const LandscapeRun& run, const RouteEnds& ends) {
    std::vector<Route> routes;
    for (std::size_t m = 0; m < plannedMeasures(run); ++m) {
        const Measure measure = static_cast<Measure>(m);
        RouteEnds walked = ends;
        if (!run.moreStarts.empty() && run.tables.costs(measure).reaches(ends.endX, ends.endY)) {
            const Cell start = routeStartOf(run.tables.previous(measure), ends.endX, ends.endY);
            walked.startX = start.x;
            walked.startY = start.y;
        }
        routes.push_back(readRoute(run.terrain, run.grid.prices, run.tables, measure, walked));
    }
    return routes;
}

// The destinations' routes of the plan in the run's tables, each with its number.
std::vector<Route> destinationRoutes(const LandscapeRun& run) {
    const Settings& s = run.settings;
    const std::vector<Cell> ends = destinationEnds(s);
    std::vector<Route> routes;
    routes.reserve(ends.size() * plannedMeasures(run));
    for (std::size_t d = 0; d < ends.size(); ++d) {
        for (Route& route : routesBetween(run, {s.startX, s.startY, ends[d].x, ends[d].y})) {
            route.destination = static_cast<int>(d) + 1;
            routes.push_back(std::move(route));
        }
    }
    return routes;
}

} // namespace

std::vector<Route> plannedRoutes(const LandscapeRun& run) {
    std::vector<Route> routes = !run.trip.empty() ? run.trip
                                : !run.settings.destinations.empty()
                                    ? destinationRoutes(run)
                                    : routesBetween(run, routeEnds(run.settings));
    const ProfileGround ground{run.terrain.shape(), run.terrain.heights().data(),
                               run.grid.open.empty() ? nullptr : run.grid.open.data()};
    for (Route& route : routes) {
        const RouteLean lean = routeLean(ground, route.cells);
        route.sideSlopeMaxPercent = lean.sideSlopePercent;
        route.gradeMaxPercent = lean.gradePercent;
    }
    return routes;
}

std::string startReachText(const LandscapeRun& run) {
    return run.loadedGround ? reachLine(groundReach(run.terrain, run.tables), run.settings.vehicle)
                            : std::string();
}

std::string unreachableEndText(const LandscapeRun& run) {
    return unreachableEndNote(sceneInputs(run));
}

SceneInputs sceneInputs(const LandscapeRun& run) {
    return {run.settings,       run.terrain,
            run.mesh,           run.grid,
            run.tables,         !activeBarriers(run).empty(),
            run.loadedGround,   run.trip,
            &run.moreStarts,    run.corridorOn && run.corridorPlanned ? &run.corridor : nullptr,
            run.corridorPercent};
}

std::vector<Cell> runStarts(const LandscapeRun& run) {
    std::vector<Cell> starts = {{run.settings.startX, run.settings.startY}};
    starts.insert(starts.end(), run.moreStarts.begin(), run.moreStarts.end());
    return starts;
}

RouteEnds nearestEnds(const LandscapeRun& run, Measure m) {
    return sceneRouteEnds(sceneInputs(run), m);
}

void planRun(LandscapeRun& run) {
    const Settings& s = run.settings;
    run.trip.clear();
    run.corridorPlanned = false;
    if (!run.moreStarts.empty()) {
        exactRoutesFrom(run.grid, runStarts(run), SearchDirection::Forward, run.work.exact,
                        run.tables, run.progress);
        return;
    }
    if (s.via.empty()) {
        planRoutes(s.planner, run.grid, s.startX, s.startY, run.work, run.tables, run.progress);
        if (run.corridorOn && s.planner == PlannerKind::Exact) {
            planCorridor(run.grid, run.tables, {s.endX, s.endY}, run.work.exact, run.corridor,
                         run.progress);
            run.corridorPlanned = true;
        }
        return;
    }
    const std::vector<Cell> points = tripPoints(routeEnds(s), s.via);
    const auto planLeg = [&run](const Cell& from, const Cell& to) {
        planRoutes(run.settings.planner, run.grid, from.x, from.y, run.work, run.tables,
                   run.progress);
        return routesBetween(run, {from.x, from.y, to.x, to.y});
    };
    run.trip = joinLegs(points, planTripLegs(points, planLeg));
}
