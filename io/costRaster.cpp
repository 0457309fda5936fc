#include "io/costRaster.h"

#include "io/fileReplace.h"
#include "planner/groundPosition.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include <cmath>
#include <vector>

namespace {

// Built in memory first so the real file can be replaced in one step.
constexpr char MEMORY_PATH[] = "/vsimem/landscapeCostRaster.tif";
constexpr double HALF_CELL = GRID_SPACING / 2.0;

// Pixels row by row from the north edge: row r holds the cells of second index
// GRID_SIZE - 1 - r, column i the cells of first index i.
std::vector<float> northUpPixels(const CostTable& costs) {
    std::vector<float> pixels(GRID_CELLS);
    for (int row = 0; row < GRID_SIZE; ++row) {
        for (int i = 0; i < GRID_SIZE; ++i) {
            pixels[row * GRID_SIZE + i] = costs[i][GRID_SIZE - 1 - row];
        }
    }
    return pixels;
}

// Builds the GeoTIFF at MEMORY_PATH; returns why it could not be, empty when it was.
std::string buildInMemory(const CostTable& costs, const GroundReference& ground) {
    const GroundPoint northWest = cellCentre(ground, 0, GRID_SIZE - 1);
    double transform[6] = {northWest.x - HALF_CELL, GRID_SPACING, 0.0,
                           northWest.y + HALF_CELL, 0.0,          -GRID_SPACING};
    if (!std::isfinite(transform[0]) || !std::isfinite(transform[3])) {
        return "the ground's position is not a finite number";
    }
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) {
        return "GDAL has no GeoTIFF driver";
    }
    GDALDatasetH dataset =
        GDALCreate(driver, MEMORY_PATH, GRID_SIZE, GRID_SIZE, 1, GDT_Float32, nullptr);
    if (dataset == nullptr) {
        return CPLGetLastErrorMsg();
    }
    std::vector<float> pixels = northUpPixels(costs);
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    bool built = GDALSetGeoTransform(dataset, transform) == CE_None &&
                 GDALSetRasterNoDataValue(band, COST_RASTER_NODATA) == CE_None &&
                 GDALRasterIO(band, GF_Write, 0, 0, GRID_SIZE, GRID_SIZE, pixels.data(), GRID_SIZE,
                              GRID_SIZE, GDT_Float32, 0, 0) == CE_None;
    if (built && !ground.crsWkt.empty()) {
        built = GDALSetProjection(dataset, ground.crsWkt.c_str()) == CE_None;
    }
    // Closing writes the file; a failure there shows only as the last error.
    if (built) {
        CPLErrorReset();
    }
    GDALClose(dataset);
    if (built && CPLGetLastErrorType() == CE_None) {
        return {};
    }
    return *CPLGetLastErrorMsg() != '\0' ? CPLGetLastErrorMsg() : "GDAL could not build it";
}

} // namespace

std::string writeCostRaster(int folder, const std::string& name, const CostTable& costs,
                            const GroundReference& ground) {
    // The caller reports a failure in its own words; GDAL's messages would only repeat it.
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALRegister_GTiff();
    std::string error = buildInMemory(costs, ground);
    if (error.empty()) {
        vsi_l_offset size = 0;
        const GByte* bytes = VSIGetMemFileBuffer(MEMORY_PATH, &size, FALSE);
        error = bytes == nullptr ? "GDAL kept no file in memory"
                                 : replaceFile(folder, name, [&](std::FILE* file) {
                                       return std::fwrite(bytes, 1, size, file) == size;
                                   });
    }
    VSIUnlink(MEMORY_PATH);
    CPLPopErrorHandler();
    return error;
}
