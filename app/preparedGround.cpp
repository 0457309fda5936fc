#include "app/preparedGround.h"

#include "app/options.h"
#include "io/barrierFile.h"
#include "io/groundRaster.h"
#include "planner/defaultEnds.h"
#include "planner/groundPosition.h"
#include "planner/runState.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

void applyVehicle(const Options& options, Settings& s) {
    if (options.gradeUpPercent) {
        s.gradeUpPercent = *options.gradeUpPercent;
        s.gradeDownPercent = *options.gradeDownPercent;
    }
    if (options.mass) {
        s.vehicleMass = *options.mass;
    }
    if (options.descent) {
        s.descent = *options.descent;
    }
    if (options.rolling) {
        s.rolling = *options.rolling;
    }
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
    const std::optional<CellIndex> cell = cellHolding(run.reference, run.terrain.shape(), wx, wy);
    if (!cell) {
        return where + " lies off the ground";
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

std::string chooseEnds(const Options& options, LandscapeRun& run) {
    Settings& s = run.settings;
    if (options.planCells) {
        const CellEntry& c = *options.planCells;
        if (!isCellEntryInRange(c, run.terrain.shape())) {
            return rangeError(run.terrain.shape());
        }
        s.startX = c.startX;
        s.startY = c.startY;
        s.endX = c.endX;
        s.endY = c.endY;
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
        return "--terrain: '" + options.terrainFile + "' has no ground a route can start on";
    }
    s.startX = ends->startX;
    s.startY = ends->startY;
    s.endX = ends->endX;
    s.endY = ends->endY;
    return {};
}

} // namespace

std::string prepareGround(const Options& options, LandscapeRun& run) {
    applyVehicle(options, run.settings);
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
        run.settings.sceneOffset = WHOLE_GROUND_SCENE_OFFSET;
        run.homeSceneOffset = WHOLE_GROUND_SCENE_OFFSET;
    }
    if (!options.barriersFile.empty()) {
        const std::string error =
            loadBarriers(options.barriersFile, shape, run.reference, run.barriers);
        if (!error.empty()) {
            return error;
        }
    }
    useGround(run, shape, std::move(heights));
    return chooseEnds(options, run);
}
