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

StepChoice stepChoice(const LandscapeRun& run) {
    return {run.settings.vehicle, run.settings.moves, run.settings.barriersOn, run.timed};
}

void priceStepsFor(LandscapeRun& run, const StepChoice& choice) {
    static const std::vector<uint8_t> none;
    run.plannedFrom.reset();
    buildPlanningGrid(run.terrain,
                      GroundUse{choice.vehicle, moveSetFor(choice.moves),
                                choice.barriersOn ? run.barriers : none, run.cover, choice.timed,
                                run.kernels},
                      run.grid);
}

void priceSteps(LandscapeRun& run) {
    priceStepsFor(run, stepChoice(run));
}

void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights) {
    run.terrain.assign(shape, std::move(heights));
    run.tables.resize(shape);
    priceSteps(run);
}

std::vector<Route> plannedRoutes(const LandscapeRun& run) {
    const RouteEnds ends = routeEnds(run.settings);
    std::vector<Route> routes = {
        readRoute(run.terrain, run.grid.prices, run.tables, Measure::Distance, ends),
        readRoute(run.terrain, run.grid.prices, run.tables, Measure::Energy, ends)};
    if (run.tables.timed) {
        routes.push_back(readRoute(run.terrain, run.grid.prices, run.tables, Measure::Time, ends));
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
    return {run.settings,    run.terrain, run.mesh,
            run.grid,        run.tables,  !activeBarriers(run).empty(),
            run.loadedGround};
}

void planRun(LandscapeRun& run) {
    planRunFrom(run, run.settings.planner, {run.settings.startX, run.settings.startY}, run.progress,
                nullptr);
}

bool planRunFrom(LandscapeRun& run, PlannerKind planner, Cell start,
                 const ProgressListener& progress, const CancelFlag* cancel) {
    run.plannedFrom.reset();
    if (!planRoutes(planner, run.grid, start.x, start.y, run.work, run.tables, progress, cancel)) {
        return false;
    }
    run.plannedFrom = start;
    return true;
}
