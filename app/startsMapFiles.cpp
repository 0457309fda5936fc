// nearest.tif and corridor.tif, laid out as distance.tif, one band a measure.
#include "app/startsMapFiles.h"

#include "io/costRaster.h"
#include "planner/nearestStart.h"

#include <cstdio>

namespace {

constexpr char NEAREST_RASTER_FILE[] = "nearest.tif";
constexpr char CORRIDOR_RASTER_FILE[] = "corridor.tif";

// The measures of the last plan, in the order of their bands.
std::vector<Measure> plannedMeasures(const RouteTables& tables) {
    std::vector<Measure> measures = {Measure::Distance, Measure::Energy};
    if (tables.timed) {
        measures.push_back(Measure::Time);
    }
    return measures;
}

bool reported(const std::string& error, const char* name) {
    if (!error.empty()) {
        std::fprintf(stderr, "Error: could not write %s: %s\n", name, error.c_str());
    }
    return error.empty();
}

bool writeNearest(int folder, const LandscapeRun& run) {
    const std::vector<Cell> starts = runStarts(run);
    std::vector<std::vector<int32_t>> numbers;
    std::vector<const int32_t*> bands;
    for (const Measure m : plannedMeasures(run.tables)) {
        numbers.push_back(nearestStarts(run.tables.costs(m), run.tables.previous(m), starts));
    }
    for (const std::vector<int32_t>& band : numbers) {
        bands.push_back(band.data());
    }
    return reported(writeWholeGridBands(folder, NEAREST_RASTER_FILE, bands, NO_NEAREST_START,
                                        run.terrain.shape(), run.reference, run.progress),
                    NEAREST_RASTER_FILE);
}

bool writeCorridor(int folder, const LandscapeRun& run) {
    std::vector<const float*> bands;
    for (const Measure m : plannedMeasures(run.tables)) {
        bands.push_back(run.corridor.costs(m).data());
    }
    return reported(writeGridBands(folder, CORRIDOR_RASTER_FILE, bands, run.terrain.shape(),
                                   run.reference, run.progress),
                    CORRIDOR_RASTER_FILE);
}

} // namespace

bool writeStartsMapFiles(int folder, const LandscapeRun& run) {
    const bool nearest = run.moreStarts.empty() || writeNearest(folder, run);
    const bool corridor = !run.corridorPlanned || writeCorridor(folder, run);
    return nearest && corridor;
}
