// Writing the map files one after another: distance.tif, energy.tif, time.tif of a timed plan,
// heights.tif and routes.geojson. A file that fails is reported and skipped, and the rest are still
// written.

#include "app/mapFiles.h"

#include "io/costRaster.h"
#include "io/routeGeoJson.h"
#include "planner/routeTables.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstdio>

namespace {

constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char TIME_RASTER_FILE[] = "time.tif";
constexpr int UNTIMED_MAP_FILES = 4;
constexpr char HEIGHTS_RASTER_FILE[] = "heights.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";

void keep(const std::string& error, const char* name, std::vector<std::string>& names) {
    if (!error.empty()) {
        std::fprintf(stderr, "Error: could not write %s: %s\n", name, error.c_str());
        return;
    }
    names.push_back(name);
}

std::string writeRaster(int folder, const char* name, const float* values,
                        const LandscapeRun& run) {
    return writeGridRaster(folder, name, values, run.terrain.shape(), run.reference, run.progress);
}

} // namespace

int mapFileCount(const LandscapeRun& run) {
    return UNTIMED_MAP_FILES + (run.tables.timed ? 1 : 0);
}

std::vector<std::string> writeMapFiles(int folder, const LandscapeRun& run) {
    std::vector<std::string> names;
    keep(writeRaster(folder, DISTANCE_RASTER_FILE, run.tables.distance.data(), run),
         DISTANCE_RASTER_FILE, names);
    keep(writeRaster(folder, ENERGY_RASTER_FILE, run.tables.energy.data(), run), ENERGY_RASTER_FILE,
         names);
    if (run.tables.timed) {
        keep(writeRaster(folder, TIME_RASTER_FILE, run.tables.time.data(), run), TIME_RASTER_FILE,
             names);
    }
    keep(writeRaster(folder, HEIGHTS_RASTER_FILE, run.terrain.heights().data(), run),
         HEIGHTS_RASTER_FILE, names);
    const Settings& s = run.settings;
    const char* planner = s.planner == PlannerKind::Exact ? "exact" : "sweep";
    keep(writeRouteGeoJson(folder, ROUTES_FILE, plannedRoutes(run), planner, s.moves, s.vehicle,
                           s.speedMph, run.reference, run.terrain.shape().spacing,
                           run.tables.timed),
         ROUTES_FILE, names);
    return names;
}
