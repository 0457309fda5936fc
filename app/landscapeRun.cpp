// The run's operations: pricing its steps with the barriers the settings switch on, taking new
// ground, planning, and reading back its routes and its scene inputs.

#include "app/landscapeRun.h"

#include "planner/groundReport.h"
#include "planner/kernels/parallelWork.h"
#include "planner/nearestStart.h"
#include "planner/sideSlope.h"
#include "planner/trip.h"
#include "render/overlays.h"

#include <algorithm>
#include <iterator>
#include <utility>

const std::vector<uint8_t>& activeBarriers(const LandscapeRun& run) {
    static const std::vector<uint8_t> none;
    return run.settings.barriersOn ? run.barriers : none;
}

StepChoice stepChoice(const LandscapeRun& run) {
    return {run.settings.vehicle, run.settings.moves, run.settings.barriersOn, run.timed};
}

bool priceStepsFor(LandscapeRun& run, const StepChoice& choice, const CancelFlag* cancel) {
    static const std::vector<uint8_t> none;
    run.plannedFrom.reset();
    run.tablesFrom.reset();
    run.keptLegs.clear();
    return buildPlanningGrid(run.terrain,
                             GroundUse{choice.vehicle, moveSetFor(choice.moves),
                                       choice.barriersOn ? run.barriers : none, run.cover,
                                       choice.timed, run.kernels, cancel},
                             run.grid);
}

void priceSteps(LandscapeRun& run) {
    priceStepsFor(run, stepChoice(run));
}

void takeGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights) {
    run.plannedFrom.reset();
    run.tablesFrom.reset();
    run.keptLegs.clear();
    run.terrain.assign(shape, std::move(heights));
    markOpenCells(run.terrain, activeBarriers(run), run.cover, run.grid);
}

void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights) {
    takeGround(run, shape, std::move(heights));
    run.tables.resize(shape);
    priceSteps(run);
}

const std::vector<Route>* tripToExport(const LandscapeRun& run) {
    return run.settings.via.empty() ? nullptr : &run.trip;
}

namespace {

// The measures a plan filled `tables` in.
std::size_t plannedMeasures(const RouteTables& tables) {
    return static_cast<std::size_t>(tables.timed ? MEASURE_COUNT : MEASURE_COUNT - 1);
}

// Each measure's route of the plan in `tables` between `ends`; with several starts, from
// the start nearest ends' end in that measure instead.
std::vector<Route> routesBetween(const LandscapeRun& run, const RouteEnds& ends,
                                 const RouteTables& tables) {
    std::vector<Route> routes;
    for (std::size_t m = 0; m < plannedMeasures(tables); ++m) {
        const Measure measure = static_cast<Measure>(m);
        RouteEnds walked = ends;
        if (!run.moreStarts.empty() && tables.costs(measure).reaches(ends.endX, ends.endY)) {
            const Cell start = routeStartOf(tables.previous(measure), ends.endX, ends.endY);
            walked.startX = start.x;
            walked.startY = start.y;
        }
        routes.push_back(readRoute(run.terrain, run.grid.prices, tables, measure, walked));
    }
    return routes;
}
std::vector<Route> routesBetween(const LandscapeRun& run, const RouteEnds& ends) {
    return routesBetween(run, ends, run.tables);
}

// A trip: each leg planned in turn, the last first, so that the tables end with the first leg's
// plan. A leg the last trip planned between the same two cells, with the same planner over the
// same priced steps, is taken as it was: adding, removing or moving one via point replans only
// the legs that touch it. When the first leg is kept the tables still hold its plan, and the
// legs planned anew go to legTables instead. With the corridor, which joins every leg's own,
// every leg is planned. A leg cancelled leaves the others to stop at once.
bool planTrip(LandscapeRun& run, const PlanRequest& request, const ProgressListener& progress,
              const CancelFlag* cancel) {
    const std::vector<Cell> points =
        tripPoints({request.start.x, request.start.y, request.end.x, request.end.y}, request.via);
    std::vector<KeptLeg> kept;
    if (!request.corridor && run.keptPlanner == request.planner) {
        kept.swap(run.keptLegs);
    }
    run.keptLegs.clear();
    run.keptPlanner = request.planner;
    const auto keptRoutes = [&kept](const Cell& from, const Cell& to) {
        const auto leg = std::find_if(kept.begin(), kept.end(), [&](const KeptLeg& k) {
            return k.from == from && k.to == to;
        });
        return leg == kept.end() ? nullptr : &leg->routes;
    };
    const bool firstKept =
        keptRoutes(points[0], points[1]) != nullptr && run.tablesFrom == points[0];
    RouteTables& tables = firstKept ? run.legTables : run.tables;
    if (firstKept) {
        tables.sizeFor(run.terrain.shape());
    } else {
        run.legTables = RouteTables{}; // its memory back while the tables take every leg
    }
    bool whole = true;
    std::size_t planned = 0;
    const auto planLeg = [&](const Cell& from, const Cell& to) {
        const bool firstLeg = planned + 1 == points.size() - 1;
        const std::vector<Route>* found = keptRoutes(from, to);
        if (found != nullptr && (!firstLeg || firstKept)) {
            run.keptLegs.push_back({from, to, *found});
            ++planned;
            return *found;
        }
        if (&tables == &run.tables) {
            run.tablesFrom.reset();
        }
        whole = whole && planRoutes(request.planner, run.grid, from.x, from.y, run.work, tables,
                                    progress, cancel);
        // The corridor: the first leg planned gives it, each later one joins its own.
        RouteTables& legCorridor = planned == 0 ? run.corridor : run.legCorridor;
        whole = whole && (!request.corridor || planCorridor(run.grid, tables, to, run.work.exact,
                                                            legCorridor, progress, cancel));
        if (whole && request.corridor && planned > 0) {
            joinCorridors(run.legCorridor, run.corridor);
        }
        ++planned;
        if (!whole) {
            return std::vector<Route>{};
        }
        if (&tables == &run.tables) {
            run.tablesFrom = from;
        }
        run.keptLegs.push_back(
            {from, to, routesBetween(run, {from.x, from.y, to.x, to.y}, tables)});
        return run.keptLegs.back().routes;
    };
    std::vector<std::vector<Route>> legs = planTripLegs(points, planLeg);
    run.legCorridor = RouteTables{}; // its memory back until the next trip's corridor
    if (!whole) {
        run.keptLegs.clear();
        return false;
    }
    run.trip = joinLegs(points, legs);
    run.corridorPlanned = request.corridor;
    return true;
}

// The steepest side slope and grade along `route`.
void takeLean(const LandscapeRun& run, Route& route) {
    const ProfileGround ground{run.terrain.shape(), run.terrain.heights().data(),
                               run.grid.open.empty() ? nullptr : run.grid.open.data()};
    const RouteLean lean = routeLean(ground, route.cells);
    route.sideSlopeMaxPercent = lean.sideSlopePercent;
    route.gradeMaxPercent = lean.gradePercent;
}

// Destinations worth a second thread to read their routes: thousands take a tenth of a second.
constexpr std::size_t PARALLEL_DESTINATIONS = 256;

// The destinations' routes of the plan in the run's tables, each with its number and its lean;
// many are read on both cores, half each.
std::vector<Route> destinationRoutes(const LandscapeRun& run) {
    const Settings& s = run.settings;
    const std::vector<Cell> ends = destinationEnds(s);
    struct Part {
        std::size_t from;
        std::size_t to;
        std::vector<Route> routes;
    };
    std::vector<Part> parts(ends.size() >= PARALLEL_DESTINATIONS ? MAX_WORKERS : 1);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        parts[k].from = ends.size() * k / parts.size();
        parts[k].to = ends.size() * (k + 1) / parts.size();
    }
    runEach(parts, [&](Part& part) {
        for (std::size_t d = part.from; d < part.to; ++d) {
            for (Route& route : routesBetween(run, {s.startX, s.startY, ends[d].x, ends[d].y})) {
                route.destination = static_cast<int>(d) + 1;
                takeLean(run, route);
                part.routes.push_back(std::move(route));
            }
        }
    });
    std::vector<Route> routes;
    routes.reserve(ends.size() * plannedMeasures(run.tables));
    for (Part& part : parts) {
        std::move(part.routes.begin(), part.routes.end(), std::back_inserter(routes));
    }
    return routes;
}

} // namespace

std::vector<Route> plannedRoutes(const LandscapeRun& run) {
    if (run.trip.empty() && !run.settings.destinations.empty()) {
        return destinationRoutes(run);
    }
    std::vector<Route> routes =
        !run.trip.empty() ? run.trip : routesBetween(run, routeEnds(run.settings));
    for (Route& route : routes) {
        takeLean(run, route);
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
            run.settings.viewMode,
            run.terrain,
            run.mesh,
            run.grid,
            run.tables,
            !activeBarriers(run).empty(),
            run.loadedGround,
            run.trip,
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
    planRunFrom(run, planRequest(run), run.progress, nullptr);
}

PlanRequest planRequest(const LandscapeRun& run) {
    const Settings& s = run.settings;
    return {s.planner,
            {s.startX, s.startY},
            {s.endX, s.endY},
            s.via,
            run.corridorOn && s.planner == PlannerKind::Exact && run.moreStarts.empty()};
}

bool planRunFrom(LandscapeRun& run, const PlanRequest& request, const ProgressListener& progress,
                 const CancelFlag* cancel) {
    run.plannedFrom.reset();
    if (request.via.empty()) {
        run.tablesFrom.reset();
    }
    run.trip.clear();
    run.corridorPlanned = false;
    if (!run.moreStarts.empty()) {
        std::vector<Cell> starts = {request.start};
        starts.insert(starts.end(), run.moreStarts.begin(), run.moreStarts.end());
        if (!exactRoutesFrom(run.grid, starts, SearchDirection::Forward, run.work.exact, run.tables,
                             progress, cancel)) {
            return false;
        }
    } else if (request.via.empty()) {
        if (!planRoutes(request.planner, run.grid, request.start.x, request.start.y, run.work,
                        run.tables, progress, cancel)) {
            return false;
        }
        if (request.corridor) {
            if (!planCorridor(run.grid, run.tables, request.end, run.work.exact, run.corridor,
                              progress, cancel)) {
                return false;
            }
            run.corridorPlanned = true;
        }
    } else {
        // The end is part of the plan: a new end needs a new plan.
        return planTrip(run, request, progress, cancel);
    }
    if (run.moreStarts.empty()) {
        run.tablesFrom = request.start;
    }
    // Only a plan whose tables do not depend on the end serves a new end at once.
    if (!request.corridor) {
        run.plannedFrom = request.start;
    }
    return true;
}
