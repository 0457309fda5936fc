#include "app/mapFiles.h"

#include "app/plannedRoutes.h"
#include "io/costRaster.h"
#include "io/routeGeoJson.h"
#include "planner/routeTables.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"

#include <cstdio>

namespace {

constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";

void keep(bool written, const char* name, std::vector<std::string>& names) {
    if (!written) {
        std::fprintf(stderr, "Error: could not write %s\n", name);
        return;
    }
    names.push_back(name);
}

} // namespace

std::vector<std::string> writeMapFiles(const std::string& folder) {
    std::vector<std::string> names;
    const std::string prefix = folder + "/";
    keep(writeCostRaster(prefix + DISTANCE_RASTER_FILE, distanceTable, groundReference),
         DISTANCE_RASTER_FILE, names);
    keep(writeCostRaster(prefix + ENERGY_RASTER_FILE, energyTable, groundReference),
         ENERGY_RASTER_FILE, names);
    const char* planner = settings.planner == PlannerKind::Exact ? "exact" : "sweep";
    keep(writeRouteGeoJson(prefix + ROUTES_FILE, plannedRoutes(settings), planner, groundReference),
         ROUTES_FILE, names);
    return names;
}
