#include "app/mapFiles.h"

#include "app/plannedRoutes.h"
#include "io/costRaster.h"
#include "io/routeGeoJson.h"
#include "planner/routeTables.h"
#include "planner/runState.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstdio>

namespace {

constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char HEIGHTS_RASTER_FILE[] = "heights.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";

void keep(const std::string& error, const char* name, std::vector<std::string>& names) {
    if (!error.empty()) {
        std::fprintf(stderr, "Error: could not write %s: %s\n", name, error.c_str());
        return;
    }
    names.push_back(name);
}

std::string writeRaster(int folder, const char* name, const float* values) {
    return writeGridRaster(folder, name, values, terrainVertices.shape(), groundReference,
                           landscapeRun.progress);
}

} // namespace

std::vector<std::string> writeMapFiles(int folder) {
    std::vector<std::string> names;
    keep(writeRaster(folder, DISTANCE_RASTER_FILE, distanceTable.data()), DISTANCE_RASTER_FILE,
         names);
    keep(writeRaster(folder, ENERGY_RASTER_FILE, energyTable.data()), ENERGY_RASTER_FILE, names);
    keep(writeRaster(folder, HEIGHTS_RASTER_FILE, terrainVertices.heights().data()),
         HEIGHTS_RASTER_FILE, names);
    const char* planner = settings.planner == PlannerKind::Exact ? "exact" : "sweep";
    keep(writeRouteGeoJson(folder, ROUTES_FILE, plannedRoutes(settings), planner,
                           settingsVehicle(settings), groundReference),
         ROUTES_FILE, names);
    return names;
}
