// The run's operations: pricing its steps with the barriers the settings switch on, taking new
// ground, planning, and reading back its routes and its scene inputs.

#include "app/landscapeRun.h"

#include "planner/groundReport.h"
#include "planner/sideSlope.h"
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

std::vector<Route> plannedRoutes(const LandscapeRun& run) {
    const auto routeIn = [&run](Measure m) {
        return readRoute(run.terrain, run.grid.prices, run.tables, m, nearestEnds(run, m));
    };
    std::vector<Route> routes = {routeIn(Measure::Distance), routeIn(Measure::Energy)};
    if (run.tables.timed) {
        routes.push_back(routeIn(Measure::Time));
    }
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
    return {run.settings,
            run.terrain,
            run.mesh,
            run.grid,
            run.tables,
            !activeBarriers(run).empty(),
            run.loadedGround,
            &run.moreStarts,
            run.corridorOn && run.corridorPlanned ? &run.corridor : nullptr,
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
    run.corridorPlanned = false;
    if (!run.moreStarts.empty()) {
        exactRoutesFrom(run.grid, runStarts(run), SearchDirection::Forward, run.work.exact,
                        run.tables, run.progress);
        return;
    }
    planRoutes(run.settings.planner, run.grid, run.settings.startX, run.settings.startY, run.work,
               run.tables, run.progress);
    if (run.corridorOn && run.settings.planner == PlannerKind::Exact) {
        planCorridor(run.grid, run.tables, {run.settings.endX, run.settings.endY}, run.work.exact,
                     run.corridor, run.progress);
        run.corridorPlanned = true;
    }
}
