#include "io/costRaster.h"

#include "io/fileReplace.h"
#include "planner/groundPosition.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include <algorithm>
#include <vector>

namespace {

// Built in memory first so the real file can be replaced in one step.
constexpr char MEMORY_PATH[] = "/vsimem/landscapeCostRaster.tif";
// Pixels of `rows` rows from the north edge, a band of rows at a time: row r holds the cells of
// second index rows - 1 - r, column i the cells of first index i.
constexpr int BAND_ROWS = 256;

void northUpBand(const float* costs, const GridShape& shape, int firstRow, int bandRows,
                 std::vector<float>& pixels) {
    pixels.resize(static_cast<std::size_t>(bandRows) * shape.columns);
    for (int r = 0; r < bandRows; ++r) {
        const int y = shape.rows - 1 - (firstRow + r);
        float* line = pixels.data() + static_cast<std::size_t>(r) * shape.columns;
        for (int i = 0; i < shape.columns; ++i) {
            line[i] = costs[shape.index(i, y)];
        }
    }
}

bool buildInMemory(const float* costs, const GridShape& shape, const GroundReference& ground) {
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) {
        return false;
    }
    GDALDatasetH dataset =
        GDALCreate(driver, MEMORY_PATH, shape.columns, shape.rows, 1, GDT_Float32, nullptr);
    if (dataset == nullptr) {
        return false;
    }
    const double half = ground.spacing / 2.0;
    const GroundPoint northWest = cellCentre(ground, 0, shape.rows - 1);
    double transform[6] = {northWest.x - half, ground.spacing, 0.0, northWest.y + half, 0.0,
                           -ground.spacing};
    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    bool built = GDALSetGeoTransform(dataset, transform) == CE_None &&
                 GDALSetRasterNoDataValue(band, COST_RASTER_NODATA) == CE_None;
    std::vector<float> pixels;
    for (int row = 0; built && row < shape.rows; row += BAND_ROWS) {
        const int bandRows = std::min(BAND_ROWS, shape.rows - row);
        northUpBand(costs, shape, row, bandRows, pixels);
        built = GDALRasterIO(band, GF_Write, 0, row, shape.columns, bandRows, pixels.data(),
                             shape.columns, bandRows, GDT_Float32, 0, 0) == CE_None;
    }
    if (built && !ground.crsWkt.empty()) {
        built = GDALSetProjection(dataset, ground.crsWkt.c_str()) == CE_None;
    }
    // Closing writes the file; a failure there shows only as the last error.
    CPLErrorReset();
    GDALClose(dataset);
    return built && CPLGetLastErrorType() == CE_None;
}

} // namespace

bool writeGridRaster(const std::string& path, const float* values, const GridShape& shape,
                     const GroundReference& ground) {
    // The caller reports a failure in its own words; GDAL's messages would only repeat it.
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALRegister_GTiff();
    bool written = false;
    if (buildInMemory(values, shape, ground)) {
        vsi_l_offset size = 0;
        const GByte* bytes = VSIGetMemFileBuffer(MEMORY_PATH, &size, FALSE);
        written = bytes != nullptr && replaceFile(path, [&](std::FILE* file) {
                      return std::fwrite(bytes, 1, size, file) == size;
                  });
    }
    VSIUnlink(MEMORY_PATH);
    CPLPopErrorHandler();
    return written;
}
