// Writing the map files one after another: distance.tif, energy.tif, time.tif of a timed plan,
// heights.tif, routes.geojson and routes.gpx where asked, then the files of --routes. A file that
// fails is reported and skipped, and the rest are still written.

#include "app/mapFiles.h"

#include "app/settings.h"
#include "io/costRaster.h"
#include "io/isochroneFile.h"
#include "io/printableText.h"
#include "io/routeGeoJson.h"
#include "planner/routeTables.h"
#include "terrain/groundReference.h"
#include "terrain/terrainGrid.h"

#include <cstdio>
#include <fcntl.h>

namespace {

constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char TIME_RASTER_FILE[] = "time.tif";
constexpr int UNTIMED_MAP_FILES = 4;
constexpr char HEIGHTS_RASTER_FILE[] = "heights.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";
constexpr char GPS_ROUTES_FILE[] = "routes.gpx";

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

RouteFileFacts routeFacts(const LandscapeRun& run, const std::vector<Route>& routes) {
    const Settings& s = run.settings;
    const RouteEnds ends = routeEnds(s);
    return {routes,
            s.planner == PlannerKind::Exact ? "exact" : "sweep",
            s.moves,
            s.vehicle,
            s.speedMph,
            run.reference,
            run.terrain.shape(),
            &run.terrain.heights(),
            {ends.startX, ends.startY},
            {ends.endX, ends.endY},
            run.tables.timed};
}

} // namespace

int mapFileCount(const LandscapeRun& run) {
    return UNTIMED_MAP_FILES + (run.tables.timed ? 1 : 0);
}

std::vector<std::string> writeMapFiles(int folder, const LandscapeRun& run, bool withGps) {
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
    const std::vector<Route> routes = plannedRoutes(run);
    const RouteFileFacts facts = routeFacts(run, routes);
    keep(writeRouteFile(folder, ROUTES_FILE, RouteFormat::GeoJson, facts), ROUTES_FILE, names);
    if (withGps && !run.reference.crsWkt.empty()) {
        keep(writeRouteFile(folder, GPS_ROUTES_FILE, RouteFormat::Gpx, facts), GPS_ROUTES_FILE,
             names);
    }
    return names;
}

std::string writeIsochroneFiles(int folder, const LandscapeRun& run, const Isochrones& isochrones,
                                IsochroneFormat format) {
    const char* name = isochroneFileName(format);
    std::string error;
    if (isochrones.measure == Measure::Time && !run.tables.timed) {
        error = "the last plan found no times";
    } else {
        const IsochroneFacts facts{isochrones, run.tables.costs(isochrones.measure).data(),
                                   run.terrain.shape(), run.reference};
        error = writeIsochroneFile(folder, format, facts, run.progress);
    }
    std::vector<std::string> names;
    keep(error, name, names);
    return names.empty() ? std::string{} : names.front();
}

int writeRouteFiles(const LandscapeRun& run) {
    if (run.routeFiles.empty()) {
        return 0;
    }
    const std::vector<Route> routes = plannedRoutes(run);
    const RouteFileFacts facts = routeFacts(run, routes);
    int failed = 0;
    for (const std::string& file : run.routeFiles) {
        const std::string error = writeRouteFile(AT_FDCWD, file, *routeFormatOf(file), facts);
        if (!error.empty()) {
            std::fprintf(stderr, "Error: could not write %s: %s\n", printable(file).c_str(),
                         error.c_str());
            ++failed;
        }
    }
    return failed;
}
