// Preparing the ground: the options applied to the settings, the built-in heights or the raster
// and its barriers, a check that no step price or route total can overflow, then the start and
// end cells, each refusal naming the option to blame.

#include "app/preparedGround.h"

#include "app/currentRun.h"
#include "app/options.h"
#include "camera/camera.h"
#include "io/barrierFile.h"
#include "io/groundRaster.h"
#include "io/printableText.h"
#include "planner/defaultEnds.h"
#include "planner/groundPosition.h"
#include "planner/groundReport.h"
#include "planner/priceBounds.h"
#include "planner/routeTables.h"
#include "render/mapView.h"
#include "render/scene.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

// Loaded ground is real ground, steeper than the built-in heights: the eight steps leave most of
// it unreached at the default grade, and the one spiral pass cannot follow a valley back. Plans
// on it take this many moves and the exact planner unless the options say otherwise.
constexpr int LOADED_GROUND_MOVES = 48;

// Every option that sets a setting, for the window and the batch plan alike.
void applySettings(const Options& options, Settings& s) {
    if (options.exact) {
        s.planner = PlannerKind::Exact;
    }
    if (options.sweep) {
        s.planner = PlannerKind::Sweep;
    }
    if (options.moves) {
        s.moves = *options.moves;
    }
    if (options.panel) {
        s.panelVisible = true;
    }
    if (options.speedMph) {
        s.speedMph = *options.speedMph;
    }
    if (options.gradeUpPercent) {
        s.vehicle.gradeUpPercent = *options.gradeUpPercent;
        s.vehicle.gradeDownPercent = *options.gradeDownPercent;
    }
    if (options.mass) {
        s.vehicle.vehicleMass = *options.mass;
    }
    if (options.descent) {
        s.vehicle.descent = *options.descent;
    }
    if (options.rolling) {
        s.vehicle.rolling = *options.rolling;
    }
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string pointText(const MapPoint& p) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g,%.10g", p.x, p.y);
    return text;
}

// The cell under `point` (the ground's own coordinates), which must hold ground a plan can use.
std::string cellUnder(const char* name, const MapPoint& point, const LandscapeRun& run, int& x,
                      int& y) {
    double wx = point.x;
    double wy = point.y;
    const std::string where = std::string(name) + ": " + pointText(point);
    if (!toWorkingPoint(run.reference, wx, wy)) {
        return where + " cannot be placed on the ground";
    }
    const std::optional<Cell> cell = cellHolding(run.reference, run.terrain.shape(), wx, wy);
    if (!cell) {
        return where + " lies off the ground";
    }
    // The same cells --plan, the dialogue and picks take: the edge cells are never ends.
    if (!isCellEntryInRange(RouteEnds{cell->x, cell->y, cell->x, cell->y}, run.terrain.shape())) {
        char text[96];
        std::snprintf(text, sizeof text,
                      " lies on edge cell (%d, %d), where no route may start or end", cell->x,
                      cell->y);
        return where + text;
    }
    if (!canStartAt(run.grid, cell->x, cell->y)) {
        return where + (std::isnan(run.terrain[cell->x][cell->y].z)
                            ? " lies on a cell without ground"
                            : " lies in a no-go area");
    }
    x = cell->x;
    y = cell->y;
    return {};
}

// The vehicle options given that set its energies, "--mass 1e+10 with --rolling 1e+25"; empty
// when the vehicle's energies are the default's.
std::string energyOptions(const Options& options) {
    std::string named;
    const std::pair<const char*, const std::optional<float>*> figures[] = {
        {"--mass", &options.mass}, {"--rolling", &options.rolling}};
    for (const auto& [name, value] : figures) {
        if (value->has_value()) {
            named += (named.empty() ? "" : " with ") + std::string(name) + " " +
                     formatNumber(static_cast<double>(**value));
        }
    }
    return named;
}

// Why the vehicle on this ground would price a step or add up a route past what a plan can
// count, naming the option or file to blame; empty when every price and total stays below it.
std::string priceError(const Options& options, const Settings& s, const GridShape& shape,
                       const std::vector<float>& heights) {
    const Vehicle vehicle = s.vehicle;
    const PricedGround ground = pricedGround(heights, shape.spacing, moveSetFor(s.moves));
    const PriceOverflow overflow = priceOverflow(vehicle, ground);
    // The cell size alone is to blame when even flat ground of these cells would overflow.
    const PricedGround flat{ground.spacing, 0.0, 0.0, ground.cells, ground.longestMoveSquare};
    const bool cellsToBlame = options.cellSize && priceOverflow(vehicle, flat) == overflow;
    const std::string limit = formatNumber(static_cast<double>(UNREACHED_COST));
    const std::string terrain = "--terrain: '" + printable(options.terrainFile) + "'";
    if (overflow == PriceOverflow::Length) {
        const std::string apart = cellsToBlame
                                      ? "--cell-size: cells of " + formatNumber(*options.cellSize) +
                                            " m on '" + printable(options.terrainFile) + "' lie"
                                      : terrain + " has cells or heights";
        return apart + " so far apart that a route could be longer than " + limit +
               " m, more than a plan can count";
    }
    if (overflow == PriceOverflow::Energy) {
        const std::string figures = energyOptions(options);
        return figures.empty()
                   ? terrain + " has heights so far apart that a route's energy could pass " +
                         limit + " J, more than a plan can count"
                   : figures + ": a route's energy on this ground could pass " + limit +
                         " J, more than a plan can count";
    }
    return {};
}

std::string rangeError(const GridShape& shape) {
    char text[128];
    if (shape.columns == shape.rows) {
        std::snprintf(text, sizeof text, "--plan: each cell must lie in 1..%d", shape.columns - 1);
    } else {
        std::snprintf(text, sizeof text, "--plan: x must lie in 1..%d and y in 1..%d",
                      shape.columns - 1, shape.rows - 1);
    }
    return text;
}

// Blames the barriers when the ground alone has a cell a route could start on.
std::string noStartError(const Options& options, const LandscapeRun& run) {
    const GridShape& shape = run.terrain.shape();
    bool groundInside = false;
    for (int x = 1; x + 1 < shape.columns && !groundInside; ++x) {
        for (int y = 1; y + 1 < shape.rows && !groundInside; ++y) {
            groundInside = !std::isnan(run.terrain[x][y].z);
        }
    }
    if (groundInside && !options.barriersFile.empty()) {
        return "--barriers: '" + printable(options.barriersFile) +
               "' closes every cell of the ground a route can start on";
    }
    return "--terrain: '" + printable(options.terrainFile) + "' has no ground a route can start on";
}

std::string chooseEnds(const Options& options, LandscapeRun& run) {
    Settings& s = run.settings;
    if (options.planCells) {
        const RouteEnds& c = *options.planCells;
        if (!isCellEntryInRange(c, run.terrain.shape())) {
            return rangeError(run.terrain.shape());
        }
        setRouteEnds(s, c);
        return {};
    }
    if (options.from) {
        const std::string error = cellUnder("--from", *options.from, run, s.startX, s.startY);
        return error.empty() ? cellUnder("--to", *options.to, run, s.endX, s.endY) : error;
    }
    if (options.terrainFile.empty()) {
        return {};
    }
    const std::optional<RouteEnds> ends = defaultRouteEnds(run.grid);
    if (!ends) {
        return noStartError(options, run);
    }
    setRouteEnds(s, *ends);
    return {};
}

} // namespace

std::string prepareGround(const Options& options, LandscapeRun& run) {
    GridShape shape = BUILT_IN_SHAPE;
    std::vector<float> heights;
    if (options.terrainFile.empty()) {
        heights = builtInHeights();
    } else {
        LoadedGround ground;
        const GroundRequest request{options.terrainFile, options.cellSize, options.sizeColumns,
                                    options.sizeRows,    options.centreX,  options.centreY};
        const std::string error = loadGroundRaster(request, ground, run.progress);
        if (!error.empty()) {
            return error;
        }
        run.reference = std::move(ground.reference);
        shape = ground.shape;
        heights = std::move(ground.heights);
        run.loadedGround = true;
        run.groundMoves = LOADED_GROUND_MOVES;
        run.settings.moves = LOADED_GROUND_MOVES;
        run.settings.planner = PlannerKind::Exact;
    }
    applySettings(options, run.settings);
    // A batch plan writes the time raster and loaded ground is planned for real trips; only the
    // built-in ground's window waits for key 't', to keep its first plan as quick as it was.
    run.timed = options.plan || run.loadedGround;
    if (!options.barriersFile.empty()) {
        const std::string error =
            loadBarriers(options.barriersFile, shape, run.reference, run.barriers);
        if (!error.empty()) {
            return error;
        }
    }
    const std::string priceRefusal = priceError(options, run.settings, shape, heights);
    if (!priceRefusal.empty()) {
        return priceRefusal;
    }
    useGround(run, shape, std::move(heights));
    if (run.loadedGround) {
        run.settings.sceneRotation = MAP_SCENE_ROTATION;
        run.settings.sceneOffset =
            mapSceneOffset(run.terrain, Camera{}.position, GRID_SHIFT_X, FIELD_OF_VIEW_DEGREES);
        run.homeSceneOffset = run.settings.sceneOffset;
    }
    return chooseEnds(options, run);
}

std::string chosenGroundText(const Options& options, const LandscapeRun& run) {
    if (!run.loadedGround) {
        return {};
    }
    // Mirrors chooseEnds: the cells the user named win over the default ends.
    const std::string chosenBy = options.planCells ? std::string("the cells --plan names")
                                 : options.from    ? std::string("the cells under --from and --to")
                                                   : defaultEndsReason(run.settings.vehicle);
    return groundLine(run.terrain.shape(), groundReach(run.terrain, run.tables)) +
           endsLine(routeEnds(run.settings), chosenBy, run.settings.planner);
}
