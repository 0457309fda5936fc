#include "app/batchPlan.h"

#include "app/mapFiles.h"
#include "app/options.h"
#include "app/preparedGround.h"
#include "io/routeExport.h"
#include "planner/routePlanner.h"
#include "planner/stepTable.h"
#include "render/overlays.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_BAD_INPUT = 2;

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void applyOptions(const Options& options) {
    settings.startX = options.plan->startX;
    settings.startY = options.plan->startY;
    settings.endX = options.plan->endX;
    settings.endY = options.plan->endY;
    if (options.speedMph) {
        settings.speedMph = *options.speedMph;
    }
    settings.planner = options.exact ? PlannerKind::Exact : PlannerKind::Sweep;
}

// Writes the six files, each whole or not at all; false when any was not written.
bool writeResults(const std::string& folder) {
    const bool tables = exportRouteTablesInto(folder);
    return writeMapFiles(folder).size() == MAP_FILE_COUNT && tables;
}

} // namespace

int runBatchPlan(const Options& options) {
    const std::string folder = options.outDir.empty() ? "." : options.outDir;
    if (!isFolder(folder)) {
        std::fprintf(stderr, "landscape: --out: '%s' is not a folder\n", folder.c_str());
        return EXIT_BAD_INPUT;
    }
    applyOptions(options);
    buildPreparedGroundVertices();
    buildStepTable();
    computeRoutes();
    const std::string summaries =
        distanceRouteOverlay().report + energyRouteOverlay().report + straightLineOverlay().report;
    std::fputs(summaries.c_str(), stdout);
    std::fflush(stdout);
    return writeResults(folder) ? 0 : EXIT_WRITE_FAILED;
}
