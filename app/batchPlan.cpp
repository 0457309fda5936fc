#include "app/batchPlan.h"

#include "app/options.h"
#include "app/plannedRoutes.h"
#include "io/costRaster.h"
#include "io/routeExport.h"
#include "io/routeGeoJson.h"
#include "planner/routePlanner.h"
#include "render/overlays.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_BAD_INPUT = 2;
constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";
constexpr char HEIGHTS_RASTER_FILE[] = "heights.tif";

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void applyOptions(const Options& options) {
    if (options.speedMph) {
        settings.speedMph = *options.speedMph;
    }
    settings.planner = options.exact ? PlannerKind::Exact : PlannerKind::Sweep;
}

// Reports a file that was not written; returns whether it was.
bool reported(bool written, const char* name) {
    if (!written) {
        std::fprintf(stderr, "Error: could not write %s\n", name);
    }
    return written;
}

// Heights as the planner used them, cells without ground as nodata.
std::vector<float> heightPixels() {
    std::vector<float> heights = terrainVertices.heights();
    for (float& h : heights) {
        if (std::isnan(h)) {
            h = static_cast<float>(COST_RASTER_NODATA);
        }
    }
    return heights;
}

bool writeRaster(const std::string& folder, const char* name, const float* values) {
    return reported(
        writeGridRaster(folder + "/" + name, values, terrainVertices.shape(), groundReference),
        name);
}

// Writes the files, each whole or not at all; false when any was not written.
bool writeResults(const std::string& folder, bool tables) {
    bool all = !tables || exportRouteTablesInto(folder);
    all = writeRaster(folder, DISTANCE_RASTER_FILE, distanceTable.data()) && all;
    all = writeRaster(folder, ENERGY_RASTER_FILE, energyTable.data()) && all;
    all = writeRaster(folder, HEIGHTS_RASTER_FILE, heightPixels().data()) && all;
    const char* planner = settings.planner == PlannerKind::Exact ? "exact" : "sweep";
    all = reported(writeRouteGeoJson(folder + "/" + ROUTES_FILE, plannedRoutes(settings), planner,
                                     groundReference),
                   ROUTES_FILE) &&
          all;
    return all;
}

} // namespace

int runBatchPlan(const Options& options) {
    const std::string folder = options.outDir.empty() ? "." : options.outDir;
    if (!isFolder(folder)) {
        std::fprintf(stderr, "landscape: --out: '%s' is not a folder\n", folder.c_str());
        return EXIT_BAD_INPUT;
    }
    applyOptions(options);
    computeRoutes();
    const std::string summaries =
        distanceRouteOverlay().report + energyRouteOverlay().report + straightLineOverlay().report;
    std::fputs(summaries.c_str(), stdout);
    std::fflush(stdout);
    return writeResults(folder, !options.noTables) ? 0 : EXIT_WRITE_FAILED;
}
