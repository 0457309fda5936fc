// The batch plan: the output folder is opened once and every file lands in it, the planners'
// working cells are given back before the files are built, and a failed print to standard output
// fails the run as a file not written does.

#include "app/batchPlan.h"

#include "app/landscapeRun.h"
#include "app/mapFiles.h"
#include "app/options.h"
#include "app/settings.h"
#include "app/shutdown.h"
#include "app/startsMapFiles.h"
#include "io/fileReplace.h"
#include "io/printableText.h"
#include "io/routeExport.h"
#include "planner/routePlanner.h"
#include "planner/routeSummary.h"
#include "planner/trip.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_BAD_INPUT = 2;
// Writes the files into the folder open as `folder`, each whole or not at all (the three text
// tables only when `tables`), then the files of --routes; false when any was not written.
bool writeResults(int folder, bool tables, const LandscapeRun& run) {
    const bool tablesWritten =
        !tables ||
        exportRouteTablesInto(folder, {run.terrain, run.tables, routeEnds(run.settings),
                                       run.progress, tripToExport(run), !run.moreStarts.empty()});
    const bool mapsWritten =
        static_cast<int>(writeMapFiles(folder, run).size()) == mapFileCount(run);
    const bool startsWritten = writeStartsMapFiles(folder, run);
    return writeRouteFiles(run) == 0 && mapsWritten && startsWritten && tablesWritten;
}

// The areas of --isochrones, when asked for; false when they were asked for and not written.
bool writeAskedIsochrones(int folder, const Options& options, const LandscapeRun& run) {
    return options.isochrones.empty() ||
           !writeIsochroneFiles(folder, run, options.isochrones, options.isochroneFormat).empty();
}

// The route texts the console prints: the least-distance and least-energy blocks and the straight
// line. Through via points the blocks give the whole trip and a line a leg follows them; with
// several destinations the blocks are the end's and a line a destination follows them.
std::string routeSummaries(const LandscapeRun& run) {
    const Settings& s = run.settings;
    const RouteEnds ends = routeEnds(s);
    const double spacing = run.terrain.shape().spacing;
    const std::vector<Route>& trip = run.trip;
    if (!s.via.empty() && trip.size() > static_cast<std::size_t>(Measure::Energy)) {
        return routeReport(trip[static_cast<std::size_t>(Measure::Distance)], s.speedMph) +
               routeReport(trip[static_cast<std::size_t>(Measure::Energy)], s.speedMph) +
               legLines(trip) + tripStraightLineReport(tripPoints(ends, s.via), spacing);
    }
    const std::string destinations =
        s.destinations.empty() ? std::string() : destinationLines(run.tables, destinationEnds(s));
    return distanceReport(run.tables, ends, s.speedMph) + energyReport(run.tables, ends) +
           destinations + straightLineReport(ends, spacing);
}

} // namespace

int runBatchPlan(const Options& options, LandscapeRun& run) {
    const std::string folder = options.outDir.empty() ? "." : options.outDir;
    // Opened once: every file lands in this folder even if its name is given to another.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        const int openError = errno;
        if (openError == ENOTDIR) {
            std::fprintf(stderr, "landscape: --out: '%s' is not a folder\n",
                         printable(folder).c_str());
        } else {
            std::fprintf(stderr, "landscape: --out: '%s' cannot be opened: %s\n",
                         printable(folder).c_str(), std::strerror(openError));
        }
        return EXIT_BAD_INPUT;
    }
    installBatchSignalCleanup();
    // A folder the files cannot go into is found before the plan, not after it.
    const std::string unwritable = checkFolderWritable(folderFd);
    if (!unwritable.empty()) {
        std::fprintf(stderr, "landscape: --out: '%s' cannot be written into: %s\n",
                     printable(folder).c_str(), unwritable.c_str());
        close(folderFd);
        return EXIT_BAD_INPUT;
    }
    // One plan a batch: the search's working cells go as soon as it ends, before the files are
    // built beside them.
    run.work.exact.keepCells = false;
    planRun(run);
    run.work.release();
    std::fputs(startReachText(run).c_str(), stderr);
    const std::string summaries = routeSummaries(run);
    errno = 0;
    const bool printed = std::fputs(summaries.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    const int printError = errno;
    // After the route texts, as in the window, but beside them on standard error.
    std::fputs(unreachableEndText(run).c_str(), stderr);
    const bool resultsWritten = writeResults(folderFd, !options.noTables, run);
    const bool written = writeAskedIsochrones(folderFd, options, run) && resultsWritten;
    close(folderFd);
    if (!printed) {
        std::fprintf(stderr, "landscape: standard output: %s\n", std::strerror(printError));
        return EXIT_WRITE_FAILED;
    }
    return written ? 0 : EXIT_WRITE_FAILED;
}
