// Writing a grid as a GeoTIFF: GDAL writes straight into the replacing temporary file through
// its descriptor, a band of rows at a time turned north up, so no second copy is made.

#include "io/costRaster.h"

#include "io/fileReplace.h"
#include "io/groundSource.h"
#include "planner/groundPosition.h"

#include <cpl_error.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

// Pixels go to GDAL a band of rows at a time, so a big grid needs no second copy.
constexpr int BAND_ROWS = 256;

// GDAL's name of a band's pixel type.
template <typename Pixel> constexpr GDALDataType pixelType() {
    return std::is_same_v<Pixel, float> ? GDT_Float32 : GDT_Int32;
}

// Pixels of `bandRows` rows from row `firstRow` of the north edge: row r holds the cells of
// second index rows - 1 - r, column i the cells of first index i; NaN becomes nodata. Taken a
// cell column at a time, so the values are read in order and the band's lines being written
// stay in the nearest cache.
template <typename Pixel>
void northUpBand(const Pixel* values, const GridShape& shape, int firstRow, int bandRows,
                 std::vector<Pixel>& pixels) {
    pixels.resize(static_cast<std::size_t>(bandRows) * shape.columns);
    const int top = shape.rows - 1 - firstRow;
    for (int i = 0; i < shape.columns; ++i) {
        const Pixel* column = values + shape.index(i, 0);
        Pixel* pixel = pixels.data() + i;
        for (int r = 0; r < bandRows; ++r, pixel += shape.columns) {
            const Pixel value = column[top - r];
            if constexpr (std::is_same_v<Pixel, float>) {
                *pixel = std::isnan(value) ? static_cast<float>(COST_RASTER_NODATA) : value;
            } else {
                *pixel = value;
            }
        }
    }
}

// True for the errors of a write the file system refused: the file's size limit, a full disk or
// quota, a failing device.
bool isWriteFailure(int error) {
    return error == EFBIG || error == ENOSPC || error == EDQUOT || error == EIO;
}

// Builds the GeoTIFF at `path`, one band for each of `bands`, each of `nodata`; returns why it
// could not be, empty when it was.
template <typename Pixel>
std::string buildRaster(const std::string& path, const std::vector<const Pixel*>& bands,
                        double nodata, const GridShape& shape, const GroundReference& ground,
                        ProgressReport& report) {
    const double half = shape.spacing / 2.0;
    const GroundPoint northWest = cellCentre(ground, shape.spacing, 0, shape.rows - 1);
    double transform[6] = {northWest.x - half, shape.spacing, 0.0,
                           northWest.y + half, 0.0,           -shape.spacing};
    if (!std::isfinite(transform[0]) || !std::isfinite(transform[3])) {
        return "the ground's position is not a finite number";
    }
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) {
        return "GDAL has no GeoTIFF driver";
    }
    const int bandCount = static_cast<int>(bands.size());
    GDALDatasetH dataset = GDALCreate(driver, path.c_str(), shape.columns, shape.rows, bandCount,
                                      pixelType<Pixel>(), nullptr);
    if (dataset == nullptr) {
        return CPLGetLastErrorMsg();
    }
    bool built = GDALSetGeoTransform(dataset, transform) == CE_None;
    std::vector<Pixel> pixels;
    const std::size_t cells = shape.cells();
    for (int b = 0; built && b < bandCount; ++b) {
        GDALRasterBandH band = GDALGetRasterBand(dataset, b + 1);
        built = GDALSetRasterNoDataValue(band, nodata) == CE_None;
        for (int row = 0; built && row < shape.rows; row += BAND_ROWS) {
            report.update((b * cells + static_cast<std::size_t>(row) * shape.columns) / bandCount);
            const int bandRows = std::min(BAND_ROWS, shape.rows - row);
            northUpBand(bands[b], shape, row, bandRows, pixels);
            built = GDALRasterIO(band, GF_Write, 0, row, shape.columns, bandRows, pixels.data(),
                                 shape.columns, bandRows, pixelType<Pixel>(), 0, 0) == CE_None;
        }
    }
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

namespace {

template <typename Pixel>
std::string writeBands(int folder, const std::string& name, const std::vector<const Pixel*>& bands,
                       double nodata, const GridShape& shape, const GroundReference& ground,
                       const ProgressListener& progress) {
    // The caller reports a failure in its own words; GDAL's messages would only repeat it.
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALRegister_GTiff();
    ProgressReport report(name, shape.cells(), progress);
    std::string built;
    bool deviceFailed = false;
    const std::string error = replaceFile(folder, name, [&](std::FILE* file) {
        errno = 0;
        // GDAL opens the temporary file by the name of its descriptor: writing it straight
        // there, instead of building the file in memory and copying it, spares a copy and the
        // fresh memory to hold it.
        const std::string path = OWN_DESCRIPTOR_PREFIX + std::to_string(fileno(file));
        const OwnWrite own(path);
        built = buildRaster(path, bands, nodata, shape, ground, report);
        deviceFailed = isWriteFailure(errno);
        return built.empty();
    });
    CPLPopErrorHandler();
    // A write the system refused reads better in its words ("File too large") than in GDAL's.
    return built.empty() || deviceFailed ? error : built;
}

} // namespace

std::string writeGridRaster(int folder, const std::string& name, const float* values,
                            const GridShape& shape, const GroundReference& ground,
                            const ProgressListener& progress) {
    return writeBands<float>(folder, name, {values}, COST_RASTER_NODATA, shape, ground, progress);
}

std::string writeGridBands(int folder, const std::string& name,
                           const std::vector<const float*>& bands, const GridShape& shape,
                           const GroundReference& ground, const ProgressListener& progress) {
    return writeBands(folder, name, bands, COST_RASTER_NODATA, shape, ground, progress);
}

std::string writeWholeGridBands(int folder, const std::string& name,
                                const std::vector<const int32_t*>& bands, int32_t nodata,
                                const GridShape& shape, const GroundReference& ground,
                                const ProgressListener& progress) {
    return writeBands(folder, name, bands, nodata, shape, ground, progress);
}
