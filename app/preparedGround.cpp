// Preparing the ground: the options applied to the settings, the built-in heights or the raster
// and its barriers, a check that no step price or route total can overflow, then the start and
// end cells, each refusal naming the option to blame.

#include "app/preparedGround.h"

#include "app/currentRun.h"
#include "app/givenPoints.h"
#include "app/options.h"
#include "camera/camera.h"
#include "io/barrierFile.h"
#include "io/coverRaster.h"
#include "io/groundRaster.h"
#include "io/lonLat.h"
#include "io/printableText.h"
#include "io/routeGeoJson.h"
#include "planner/defaultEnds.h"
#include "planner/groundPosition.h"
#include "planner/groundReport.h"
#include "planner/priceBounds.h"
#include "planner/routeTables.h"
#include "render/mapView.h"
#include "render/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
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
    // Several starts and the corridor are exact searches.
    if (!options.starts.empty() || options.corridorPercent) {
        s.planner = PlannerKind::Exact;
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
    if (options.topSpeedKmh) {
        s.vehicle.topSpeedKmh = *options.topSpeedKmh;
    }
    if (options.powerKw) {
        s.vehicle.powerKw = *options.powerKw;
    }
    if (options.sideSlope) {
        s.vehicle.sideSlopePercent = *options.sideSlope;
    }
}

// Plans fill the time tables once anything the time of a move depends on is given.
bool plansTime(const Options& options) {
    return !options.coverFile.empty() || options.topSpeedKmh || options.powerKw;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The cell under the working point (wx, wy), which must hold ground a plan can use; a refusal
// names the point as `where` says.
std::string cellUnder(const std::string& where, double wx, double wy, const LandscapeRun& run,
                      int& x, int& y) {
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

// The options given among `figures`, "--mass 1e+10 with --rolling 1e+25", then the cover's
// file when `withCover`; empty when none was.
template <typename Figure, std::size_t N>
std::string givenOptions(const std::pair<const char*, const std::optional<Figure>*> (&figures)[N],
                         const Options& options, bool withCover) {
    std::string named;
    for (const auto& [name, value] : figures) {
        if (value->has_value()) {
            named += (named.empty() ? "" : " with ") + std::string(name) + " " +
                     formatNumber(static_cast<double>(**value));
        }
    }
    if (withCover && !options.coverFile.empty()) {
        named += (named.empty() ? "" : " with ") + std::string(COVER_OPTION) + " '" +
                 printable(options.coverFile) + "'";
    }
    return named;
}

// The vehicle options given that set its energies; empty when the vehicle's energies are the
// default's.
std::string energyOptions(const Options& options) {
    const std::pair<const char*, const std::optional<float>*> figures[] = {
        {"--mass", &options.mass}, {"--rolling", &options.rolling}};
    return givenOptions(figures, options, !options.coverTableFile.empty());
}

// The options given that set how long a move takes.
std::string timeOptions(const Options& options) {
    const std::pair<const char*, const std::optional<double>*> speeds[] = {
        {"--top-speed", &options.topSpeedKmh}, {"--power", &options.powerKw}};
    const std::string named = givenOptions(speeds, options, true);
    return options.mass ? named + " with --mass " + formatNumber(static_cast<double>(*options.mass))
                        : named;
}

// Why the vehicle on this ground would price a step or add up a route past what a plan can
// count, naming the option or file to blame; empty when every price and total stays below it.
std::string priceError(const Options& options, const Settings& s, const GridShape& shape,
                       const std::vector<float>& heights, const GroundCover& cover) {
    const Vehicle vehicle = s.vehicle;
    PricedGround ground = pricedGround(heights, shape.spacing, moveSetFor(s.moves));
    takeCoverBounds(cover, ground);
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
    if (overflow == PriceOverflow::Time) {
        return timeOptions(options) + ": a route's time on this ground could pass " + limit +
               " s, more than a plan can count";
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

// Blames the barriers when the ground alone has a cell a route could start on, and the cover
// when the barriers leave one too.
std::string noStartError(const Options& options, const LandscapeRun& run) {
    const GridShape& shape = run.terrain.shape();
    bool groundInside = false;
    bool freeOfBarriers = false;
    for (int x = 1; x + 1 < shape.columns && !freeOfBarriers; ++x) {
        for (int y = 1; y + 1 < shape.rows && !freeOfBarriers; ++y) {
            if (!std::isnan(run.terrain[x][y].z)) {
                groundInside = true;
                freeOfBarriers = run.barriers.empty() || run.barriers[shape.index(x, y)] == 0;
            }
        }
    }
    if (groundInside && !options.barriersFile.empty() &&
        (!freeOfBarriers || options.coverFile.empty())) {
        return "--barriers: '" + printable(options.barriersFile) +
               "' closes every cell of the ground a route can start on";
    }
    if (groundInside && !options.coverFile.empty()) {
        return std::string(COVER_OPTION) + ": '" + printable(options.coverFile) +
               "' closes every cell of the ground a route can start on";
    }
    return "--terrain: '" + printable(options.terrainFile) + "' has no ground a route can start on";
}

// The cells under the given points, in the ground's own coordinates, each on ground a route may
// start or end on (a via point or a destination as much as the ends).
std::string placePoints(const std::vector<GivenPoint>& points, const LandscapeRun& run,
                        std::vector<Cell>& cells) {
    // All at once: a file may hold many thousands of points.
    std::vector<double> xs;
    std::vector<double> ys;
    for (const GivenPoint& p : points) {
        xs.push_back(p.point.x);
        ys.push_back(p.point.y);
    }
    const bool placed = toWorkingPoints(run.reference, xs, ys);
    cells.assign(points.size(), Cell{});
    for (std::size_t k = 0; k < points.size(); ++k) {
        double wx = points[k].point.x;
        double wy = points[k].point.y;
        if (!placed && !toWorkingPoint(run.reference, wx, wy)) {
            return points[k].where + " cannot be placed on the ground";
        }
        const std::string error = cellUnder(points[k].where, placed ? xs[k] : wx,
                                            placed ? ys[k] : wy, run, cells[k].x, cells[k].y);
        if (!error.empty()) {
            return error;
        }
    }
    return {};
}

// The cells under every --from after the first, each refused as the first would be, and also
// where the cover closes it.
std::string chooseMoreStarts(const Options& options, LandscapeRun& run) {
    run.moreStarts.clear();
    std::vector<GivenPoint> points;
    std::string error = givenList("--from", options.starts, options.crs, run.reference, points);
    if (error.empty()) {
        error = placePoints(points, run, run.moreStarts);
    }
    if (!error.empty()) {
        return error;
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Cell& c = run.moreStarts[k];
        if (run.cover.closes(run.terrain.shape().index(c.x, c.y))) {
            return points[k].where + " lies where the cover closes the ground";
        }
    }
    return {};
}

// The given points placed: the first the start, the last the end, those between the via points.
// The points, in the ground's own coordinates, become the options' start, via points and end.
std::string placeGivenPoints(const std::vector<GivenPoint>& points, Options& options,
                             LandscapeRun& run) {
    std::vector<Cell> cells;
    const std::string error = placePoints(points, run, cells);
    if (!error.empty()) {
        return error;
    }
    Settings& s = run.settings;
    setRouteEnds(s, RouteEnds{cells.front().x, cells.front().y, cells.back().x, cells.back().y});
    s.via.assign(cells.begin() + 1, cells.end() - 1);
    options.from = points.front().point;
    options.to = points.back().point;
    options.via.clear();
    for (std::size_t k = 1; k + 1 < points.size(); ++k) {
        options.via.push_back(points[k].point);
    }
    return {};
}

// With `pricesLater` the default route ends are left for priceGround, which finds them once the
// moves are priced.
std::string chooseEnds(Options& options, LandscapeRun& run, bool pricesLater) {
    std::vector<GivenPoint> points;
    const std::string given = givenPoints(options, run.reference, points);
    if (!given.empty()) {
        return given;
    }
    Settings& s = run.settings;
    if (options.planCells) {
        const RouteEnds& c = *options.planCells;
        if (!isCellEntryInRange(c, run.terrain.shape())) {
            return rangeError(run.terrain.shape());
        }
        setRouteEnds(s, c);
        return {};
    }
    if (!points.empty()) {
        const std::string error = placeGivenPoints(points, options, run);
        return error.empty() ? chooseMoreStarts(options, run) : error;
    }
    if (options.terrainFile.empty() || pricesLater) {
        return {};
    }
    const std::optional<RouteEnds> ends = defaultRouteEnds(run.grid);
    if (!ends) {
        return noStartError(options, run);
    }
    setRouteEnds(s, *ends);
    return {};
}

// The cells under every --to after the first and under --via's points, unless those came with
// --from and --to or from a file and were placed with the ends. Each must hold
// ground a plan can use, as the start and the end must.
std::string chooseTripCells(const Options& options, LandscapeRun& run) {
    const bool viaPlaced = !options.pointsFile.empty() || (options.from && options.to);
    const std::pair<const char*, const std::vector<MapPoint>*> lists[] = {
        {"--via", viaPlaced ? nullptr : &options.via}, {"--to", &options.destinations}};
    for (const auto& [name, given] : lists) {
        if (given == nullptr) {
            continue;
        }
        std::vector<GivenPoint> points;
        std::string error = givenList(name, *given, options.crs, run.reference, points);
        std::vector<Cell> cells;
        if (error.empty()) {
            error = placePoints(points, run, cells);
        }
        if (!error.empty()) {
            return error;
        }
        (given == &options.via ? run.settings.via : run.settings.destinations) = cells;
    }
    return {};
}

// Why a file of --routes cannot hold routes on this ground, empty when all can: GPX and KML
// hold longitude/latitude, which ground without a coordinate system has none of.
std::string routeFilesRefusal(const Options& options, const GroundReference& ground) {
    for (const std::string& file : options.routeFiles) {
        if (ground.crsWkt.empty() && needsLonLat(*routeFormatOf(file))) {
            return "--routes: '" + printable(file) +
                   "' holds longitude/latitude only, but the ground has no coordinate system";
        }
    }
    return {};
}

} // namespace

std::string prepareGround(Options& options, LandscapeRun& run, bool pricesLater) {
    GridShape shape = BUILT_IN_SHAPE;
    std::vector<float> heights;
    if (options.terrainFile.empty() && !options.crs.empty()) {
        return CRS_WITHOUT_GROUND_SYSTEM;
    }
    if (options.terrainFile.empty()) {
        heights = builtInHeights();
    } else {
        LoadedGround ground;
        const GroundRequest request{options.terrainFile, options.cellSize, options.sizeColumns,
                                    options.sizeRows,    options.centreX,  options.centreY,
                                    options.crs};
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
    if (!options.barriersFile.empty()) {
        const std::string error =
            loadBarriers(options.barriersFile, shape, run.reference, run.barriers);
        if (!error.empty()) {
            return error;
        }
    }
    if (!options.coverFile.empty()) {
        const std::string error =
            loadCover(options.coverFile, options.coverTableFile, shape, run.reference, run.cover);
        if (!error.empty()) {
            return error;
        }
    }
    // A batch plan writes the time raster and loaded ground is planned for real trips; only the
    // built-in ground's window without a cover or speeds waits for key 't', to keep its first plan
    // as quick as it was.
    run.timed = options.plan || run.loadedGround || plansTime(options);
    const std::string priceRefusal = priceError(options, run.settings, shape, heights, run.cover);
    if (!priceRefusal.empty()) {
        return priceRefusal;
    }
    const std::string routesRefusal = routeFilesRefusal(options, run.reference);
    if (!routesRefusal.empty()) {
        return routesRefusal;
    }
    run.routeFiles = options.routeFiles;
    run.isochroneFormat = options.isochroneFormat;
    run.corridorOn = options.corridorPercent.has_value();
    run.corridorPercent = options.corridorPercent.value_or(DEFAULT_CORRIDOR_PERCENT);
    takeGround(run, shape, std::move(heights));
    if (!pricesLater) {
        run.tables.resize(shape);
        priceSteps(run);
    }
    if (run.loadedGround) {
        run.settings.sceneRotation = MAP_SCENE_ROTATION;
        run.settings.sceneOffset =
            mapSceneOffset(run.terrain, Camera{}.position, GRID_SHIFT_X, FIELD_OF_VIEW_DEGREES);
        run.homeSceneOffset = run.settings.sceneOffset;
    }
    const std::string error = chooseEnds(options, run, pricesLater);
    return error.empty() ? chooseTripCells(options, run) : error;
}

bool takesDefaultEnds(const Options& options) {
    return !options.terrainFile.empty() && !options.planCells && !options.from;
}

GroundPricing priceGround(LandscapeRun& run, const StepChoice& steps, bool defaultEnds,
                          const CancelFlag* cancel) {
    GroundPricing priced;
    try {
        run.tables.resize(run.terrain.shape());
        if (priceStepsFor(run, steps, cancel) && defaultEnds) {
            priced.ends = defaultRouteEnds(run.grid);
        }
    } catch (const std::bad_alloc&) {
        priced.error = NO_GROUND_MEMORY;
    }
    return priced;
}

std::string takePricedGround(const Options& options, LandscapeRun& run,
                             const GroundPricing& priced) {
    if (!priced.error.empty()) {
        return priced.error;
    }
    if (takesDefaultEnds(options)) {
        if (!priced.ends) {
            return noStartError(options, run);
        }
        setRouteEnds(run.settings, *priced.ends);
    }
    return {};
}

std::string chosenGroundText(const Options& options, const LandscapeRun& run) {
    // Cells without ground take nothing, whatever the cover says of them.
    std::size_t unvalued = 0;
    const std::vector<float>& heights = run.terrain.heights();
    for (std::size_t p = 0; run.cover.unvalued > 0 && p < heights.size(); ++p) {
        unvalued += std::isnan(run.cover.speedKmh[p]) && !std::isnan(heights[p]) ? 1 : 0;
    }
    char text[160] = "";
    if (unvalued > 0) {
        std::snprintf(text, sizeof text,
                      "Cover: %zu cells of ground without a value take the vehicle's top speed "
                      "and rolling coefficient\n",
                      unvalued);
    }
    const std::string cover = text;
    if (!run.loadedGround) {
        return cover;
    }
    // Mirrors chooseEnds: the cells the user named win over the default ends.
    const std::string chosenBy = options.planCells ? std::string("the cells --plan names")
                                 : !options.pointsFile.empty()
                                     ? std::string("the cells under the first and last points "
                                                   "of --points")
                                 : options.from ? std::string("the cells under --from and --to")
                                                : defaultEndsReason(run.settings.vehicle);
    return groundLine(run.terrain.shape(), groundReach(run.terrain, run.tables)) + cover +
           endsLine(routeEnds(run.settings), chosenBy, run.settings.planner);
}

namespace {

// True when the run's start cell has ground and is open, but no move leaves it.
bool startHasNoMove(const LandscapeRun& run) {
    const GridShape& shape = run.grid.shape;
    const int x = run.settings.startX;
    const int y = run.settings.startY;
    if (!shape.contains(x, y) || run.grid.open[shape.index(x, y)] == 0) {
        return false;
    }
    const uint8_t* moves = movesAt(run.grid, shape.index(x, y));
    return std::all_of(moves, moves + run.grid.moves->bitBytes(), [](uint8_t b) { return b == 0; });
}

bool coverClosesStart(const LandscapeRun& run) {
    const GridShape& shape = run.grid.shape;
    const int x = run.settings.startX;
    const int y = run.settings.startY;
    return !run.cover.empty() && shape.contains(x, y) && !std::isnan(run.terrain[x][y].z) &&
           run.cover.closes(shape.index(x, y));
}

bool leans(const LandscapeRun& run) {
    return run.settings.vehicle.sideSlopePercent != NO_SIDE_SLOPE;
}

} // namespace

bool rulesShutStart(const LandscapeRun& run) {
    if (run.cover.empty() && !leans(run)) {
        return false;
    }
    // A barrier's start is left as it is without a cover: planned, and reaching nothing.
    return coverClosesStart(run) || startHasNoMove(run);
}

std::string shutStartText(const Options& options, const LandscapeRun& run) {
    if (!rulesShutStart(run)) {
        return {};
    }
    char cell[64];
    std::snprintf(cell, sizeof cell, "(%d, %d)", run.settings.startX, run.settings.startY);
    if (leans(run) && !coverClosesStart(run)) {
        return "--side-slope: a " + vehicleText(run.settings.vehicle) +
               " has no move from the start cell " + cell + "; nothing is planned";
    }
    return std::string(COVER_OPTION) + ": '" + printable(options.coverFile) +
           "' closes every move from the start cell " + cell + "; nothing is planned";
}
