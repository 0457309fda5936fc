// Laying the cover on the grid: the table read first, so a bad one stops the run before any
// warp; the raster warped into doubles with NaN for no value, then read back a
// strip at a time, its band's scale, offset and speed unit applied, and mapped cell by cell.

#include "io/coverRaster.h"

#include "io/coverTable.h"
#include "io/gridSample.h"
#include "io/groundSource.h"
#include "io/printableText.h"
#include "terrain/coverCells.h"

#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Columns of the grid read back at once: a strip of 64 columns of 4000 rows is 2 MB.
constexpr int STRIP_COLUMNS = 64;
// Cells off the raster or on its nodata take NaN: no value, whatever values the cover uses.
// Both cores warp: a big ground's cover is most of its load.
const std::vector<std::string> WARP_TO_NAN = {"-wo", "INIT_DEST=NO_DATA",   "-dstnodata", "nan",
                                              "-wo", "NUM_THREADS=ALL_CPUS"};

// Classes are whole numbers of up to 64 bits, written out in full.
constexpr double WHOLE_FIGURE = 9.2e18;
// Pixels a cover that lays no value may be read whole to tell whether it holds any.
constexpr double MOST_PIXELS_SCANNED = 1 << 26;

std::string figure(double value) {
    char text[32];
    const bool whole = value == std::floor(value) && std::fabs(value) < WHOLE_FIGURE;
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.9g", value);
    return text;
}

// Bands that hold values; an alpha band only says where the others hold none.
int valueBands(GDALDatasetH file) {
    int count = 0;
    for (int b = 1; b <= GDALGetRasterCount(file); ++b) {
        count += GDALGetRasterColorInterpretation(GDALGetRasterBand(file, b)) != GCI_AlphaBand;
    }
    return count;
}

// Whether `count` threads can run at once. GDAL's warper waits forever for threads it could not
// start (under a limit on address space, say), so it is given them only when they start here.
bool threadsCanStart(unsigned count) {
    std::vector<std::thread> threads;
    try {
        while (threads.size() < count) {
            threads.emplace_back([] {});
        }
    } catch (const std::system_error&) {
    }
    const bool started = threads.size() == count;
    for (std::thread& thread : threads) {
        thread.join();
    }
    return started;
}

// Whether the cover holds no value at all (all of it nodata or NaN), for a cover small enough to
// read whole; false when it holds one or is too big to tell.
bool holdsNoValue(GDALDatasetH file) {
    if (double(GDALGetRasterXSize(file)) * GDALGetRasterYSize(file) > MOST_PIXELS_SCANNED) {
        return false;
    }
    double range[2];
    const bool found = GDALComputeRasterMinMax(GDALGetRasterBand(file, 1), FALSE, range) == CE_None;
    CPLErrorReset();
    return !found;
}

std::string faultError(const CoverCells& cells, const std::string& path,
                       const std::string& tablePath) {
    const std::string value = figure(cells.faultValue());
    switch (cells.fault()) {
    case CoverFault::NegativeSpeed:
        return sourceFileError(COVER_OPTION, path,
                               "holds a speed of " + value + " km/h; speeds are 0 (no-go) or more");
    case CoverFault::NotWhole:
        return sourceFileError(COVER_OPTION, path,
                               "holds " + value + ", which is no class of '" +
                                   printable(tablePath) + "' (classes are integers)");
    case CoverFault::UnknownClass:
        return sourceFileError(COVER_TABLE_OPTION, tablePath,
                               "lacks class " + value + ", which --cover '" + printable(path) +
                                   "' holds");
    case CoverFault::None:
        break;
    }
    return {};
}

// Reads `grid` back a strip of columns at a time and maps every cell, its value taken through the
// file's `units`; returns the fault or GDAL's error.
std::string readCells(GDALDatasetH grid, const GridShape& shape, const BandUnits& units,
                      CoverCells& cells, const std::string& path, const std::string& tablePath) {
    std::vector<double> values;
    GDALRasterBandH band = GDALGetRasterBand(grid, 1);
    const GSpacing cellBytes = sizeof(double);
    for (int x = 0; x < shape.columns; x += STRIP_COLUMNS) {
        const int width = std::min(STRIP_COLUMNS, shape.columns - x);
        values.resize(static_cast<std::size_t>(width) * shape.rows);
        // GDAL lays the strip out x-major with y growing north, as the cells lie: pixel (c, r)
        // lands at c * rows + rows - 1 - r, so the cells are mapped in the order of memory.
        if (GDALRasterIOEx(band, GF_Read, x, 0, width, shape.rows, values.data() + shape.rows - 1,
                           width, shape.rows, GDT_Float64, cellBytes * shape.rows, -cellBytes,
                           nullptr) != CE_None) {
            return sourceFileError(COVER_OPTION, path,
                                   "cannot be laid on the ground: " + lastGdalError());
        }
        const std::size_t first = shape.index(x, 0);
        for (std::size_t k = 0; k < values.size(); ++k) {
            if (!cells.take(first + k, units.value(values[k]))) {
                return faultError(cells, path, tablePath);
            }
        }
    }
    return {};
}

std::string loadChecked(const std::string& path, const std::string& tablePath,
                        const GridShape& shape, const GroundReference& ground, GroundCover& cover) {
    std::vector<CoverClass> classes;
    if (!tablePath.empty()) {
        const std::string error = readCoverTable(tablePath, classes);
        if (!error.empty()) {
            return error;
        }
    }
    CPLErrorReset();
    const Dataset file(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!file) {
        return openFailure(COVER_OPTION, path, "a raster");
    }
    if (GDALGetRasterCount(file.get()) == 0) {
        return sourceFileError(COVER_OPTION, path, "holds no raster band");
    }
    if (const int bands = valueBands(file.get()); bands > 1) {
        return sourceFileError(COVER_OPTION, path,
                               "has " + std::to_string(bands) + " bands; a cover has one");
    }
    // GDAL's scale and offset give the values the band stands for, speeds or class numbers
    // alike; only speeds have a unit, which classes named by a table do not.
    GDALRasterBandH values = GDALGetRasterBand(file.get(), 1);
    const char* unit = GDALGetRasterUnitType(values);
    const double kmh = tablePath.empty() ? kmhPerSpeedUnit(unit != nullptr ? unit : "") : 1.0;
    if (kmh == UNKNOWN_UNIT) {
        return sourceFileError(COVER_OPTION, path,
                               "has speeds in '" + printable(unit) +
                                   "', a unit that cannot be turned into km/h");
    }
    const BandUnits units = bandUnits(values, kmh);
    const Dataset grid = gridRaster(shape, ground, GDT_Float64);
    if (!grid) {
        return sourceFileError(COVER_OPTION, path,
                               "cannot be laid on the ground: " + lastGdalError());
    }
    // The warper leaves a grid it does not overlap as it was made, all 0.
    GDALRasterBandH band = GDALGetRasterBand(grid.get(), 1);
    GDALSetRasterNoDataValue(band, NAN);
    GDALFillRaster(band, NAN, 0.0);
    std::vector<std::string> warp = WARP_TO_NAN;
    if (!threadsCanStart(std::max(1u, std::thread::hardware_concurrency()))) {
        warp.resize(warp.size() - 2); // the threads last, one core does it
    }
    std::string error =
        sampleOntoGrid(file.get(), path, COVER_OPTION, ground, shape, grid.get(), warp);
    if (!error.empty()) {
        return error;
    }
    CoverCells cells(std::move(classes), shape.cells(), cover);
    error = readCells(grid.get(), shape, units, cells, path, tablePath);
    if (!error.empty()) {
        return error;
    }
    cells.finish();
    if (cover.unvalued != shape.cells()) {
        return {};
    }
    return holdsNoValue(file.get())
               ? sourceFileError(COVER_OPTION, path, "holds no value (all of it is nodata or NaN)")
               : sourceFileError(COVER_OPTION, path,
                                 "does not overlap the ground (no cell takes a value from it)");
}

} // namespace

std::string loadCover(const std::string& path, const std::string& tablePath, const GridShape& shape,
                      const GroundReference& ground, GroundCover& cover) {
    const QuietGdal quiet;
    GDALAllRegister();
    refuseNonFileSources();
    takeRefusedSource();
    std::string error = checkSourceName(COVER_OPTION, path);
    if (error.empty()) {
        error = loadChecked(path, tablePath, shape, ground, cover);
    }
    const std::string refused = takeRefusedSource();
    if (!refused.empty()) {
        error = sourceFileError(COVER_OPTION, path, "cannot be loaded: " + refused);
    }
    if (!error.empty()) {
        cover = GroundCover{};
    }
    return error;
}
