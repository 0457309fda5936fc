#include "app/batchPlan.h"

#include "app/options.h"
#include "app/plannedRoutes.h"
#include "app/shutdown.h"
#include "io/costRaster.h"
#include "io/printableText.h"
#include "io/routeExport.h"
#include "io/routeGeoJson.h"
#include "planner/routePlanner.h"
#include "render/overlays.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_BAD_INPUT = 2;
constexpr char DISTANCE_RASTER_FILE[] = "distance.tif";
constexpr char ENERGY_RASTER_FILE[] = "energy.tif";
constexpr char HEIGHTS_RASTER_FILE[] = "heights.tif";
constexpr char ROUTES_FILE[] = "routes.geojson";

void applyOptions(const Options& options) {
    if (options.speedMph) {
        settings.speedMph = *options.speedMph;
    }
    settings.planner = options.exact ? PlannerKind::Exact : PlannerKind::Sweep;
}

// Reports a file that was not written; returns whether it was.
bool reported(const std::string& error, const char* name) {
    if (!error.empty()) {
        std::fprintf(stderr, "Error: could not write %s: %s\n", name, error.c_str());
    }
    return error.empty();
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

bool writeRaster(int folder, const char* name, const float* values) {
    return reported(writeGridRaster(folder, name, values, terrainVertices.shape(), groundReference),
                    name);
}

// Writes the files into the folder open as `folder`, each whole or not at all (the three text
// tables only when `tables`); false when any was not written.
bool writeResults(int folder, bool tables) {
    bool all = !tables || exportRouteTablesInto(folder);
    all = writeRaster(folder, DISTANCE_RASTER_FILE, distanceTable.data()) && all;
    all = writeRaster(folder, ENERGY_RASTER_FILE, energyTable.data()) && all;
    all = writeRaster(folder, HEIGHTS_RASTER_FILE, heightPixels().data()) && all;
    const char* planner = settings.planner == PlannerKind::Exact ? "exact" : "sweep";
    all = reported(writeRouteGeoJson(folder, ROUTES_FILE, plannedRoutes(settings), planner,
                                     groundReference),
                   ROUTES_FILE) &&
          all;
    return all;
}

} // namespace

int runBatchPlan(const Options& options) {
    const std::string folder = options.outDir.empty() ? "." : options.outDir;
    // Opened once: every file lands in this folder even if its name is given to another.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        std::fprintf(stderr, "landscape: --out: '%s' is not a folder\n", printable(folder).c_str());
        return EXIT_BAD_INPUT;
    }
    installBatchSignalCleanup();
    applyOptions(options);
    computeRoutes();
    const std::string summaries =
        distanceRouteOverlay().report + energyRouteOverlay().report + straightLineOverlay().report;
    errno = 0;
    const bool printed = std::fputs(summaries.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    const int printError = errno;
    const bool written = writeResults(folderFd, !options.noTables);
    close(folderFd);
    if (!printed) {
        std::fprintf(stderr, "landscape: standard output: %s\n", std::strerror(printError));
        return EXIT_WRITE_FAILED;
    }
    return written ? 0 : EXIT_WRITE_FAILED;
}
