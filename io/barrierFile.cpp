// Laying the no-go areas on the grid: polygons are burnt into an in-memory raster of the grid, a
// raster file is warped onto it by nearest pixel within the ground's read budget, and the result
// is read back as one byte a cell. Only plain layers are read (io/plainLayers.h).

#include "io/barrierFile.h"

#include "io/gridSample.h"
#include "io/groundSource.h"
#include "io/plainLayers.h"
#include "io/printableText.h"

#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Rows of the grid read back at once.
constexpr int BAND_ROWS = 256;

std::string fileError(const std::string& path, const std::string& what) {
    return sourceFileError(BARRIERS_OPTION, path, what);
}

// Burns 1 into every cell of `grid` whose centre lies inside a polygon of any layer of `file`.
std::string burnPolygons(GDALDatasetH file, const GroundReference& ground, GDALDatasetH grid,
                         const std::string& path) {
    std::vector<OGRLayerH> layers;
    const std::string plain = plainLayers(file, BARRIERS_OPTION, path, layers);
    if (!plain.empty()) {
        return plain;
    }
    for (OGRLayerH layer : layers) {
        const std::string error =
            systemMismatch(OGR_L_GetSpatialRef(layer) != nullptr, ground, BARRIERS_OPTION, path);
        if (!error.empty()) {
            return error;
        }
    }
    int band = 1;
    const std::vector<double> burn(layers.size(), 1.0);
    // Without a transformer of its own GDAL brings each layer into the grid's system.
    if (GDALRasterizeLayers(grid, 1, &band, static_cast<int>(layers.size()), layers.data(), nullptr,
                            nullptr, const_cast<double*>(burn.data()), nullptr, nullptr,
                            nullptr) != CE_None) {
        return fileError(path, "cannot be laid on the ground: " + lastGdalError());
    }
    return {};
}

// Reads `grid` back as x-major bytes; returns how many cells it closes.
std::size_t readClosed(GDALDatasetH grid, const GridShape& shape, std::vector<uint8_t>& closed,
                       std::string& error) {
    closed.assign(shape.cells(), 0);
    std::vector<float> values;
    std::size_t count = 0;
    GDALRasterBandH band = GDALGetRasterBand(grid, 1);
    for (int row = 0; row < shape.rows; row += BAND_ROWS) {
        const int rows = std::min(BAND_ROWS, shape.rows - row);
        values.resize(static_cast<std::size_t>(rows) * shape.columns);
        if (GDALRasterIO(band, GF_Read, 0, row, shape.columns, rows, values.data(), shape.columns,
                         rows, GDT_Float32, 0, 0) != CE_None) {
            error = lastGdalError();
            return 0;
        }
        for (int r = 0; r < rows; ++r) {
            const int y = shape.rows - 1 - (row + r);
            for (int x = 0; x < shape.columns; ++x) {
                const float v = values[static_cast<std::size_t>(r) * shape.columns + x];
                const bool barrier = v != 0.0f && !std::isnan(v);
                closed[shape.index(x, y)] = barrier ? 1 : 0;
                count += barrier ? 1 : 0;
            }
        }
    }
    return count;
}

std::string loadChecked(const std::string& path, const GridShape& shape,
                        const GroundReference& ground, std::vector<uint8_t>& closed) {
    CPLErrorReset();
    const Dataset file(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_RASTER | GDAL_OF_READONLY,
                                  nullptr, nullptr, nullptr));
    if (!file) {
        return openFailure(BARRIERS_OPTION, path, "polygons or a raster");
    }
    const Dataset grid = gridRaster(shape, ground, GDT_Float32);
    if (!grid) {
        return fileError(path, "cannot be laid on the ground: " + lastGdalError());
    }
    std::string error;
    if (GDALDatasetGetLayerCount(file.get()) > 0) {
        error = burnPolygons(file.get(), ground, grid.get(), path);
    } else if (GDALGetRasterCount(file.get()) > 0) {
        error = sampleOntoGrid(file.get(), path, BARRIERS_OPTION, ground, shape, grid.get(),
                               {"-wo", "INIT_DEST=0"});
    } else {
        error = fileError(path, "holds neither polygons nor a raster band");
    }
    if (!error.empty()) {
        return error;
    }
    const std::size_t count = readClosed(grid.get(), shape, closed, error);
    if (!error.empty()) {
        return fileError(path, "cannot be laid on the ground: " + error);
    }
    return count == 0 ? fileError(path, "closes no cell of the ground") : std::string{};
}

} // namespace

std::string loadBarriers(const std::string& path, const GridShape& shape,
                         const GroundReference& ground, std::vector<uint8_t>& closed) {
    const std::string error = loadGuarded(BARRIERS_OPTION, path,
                                          [&] { return loadChecked(path, shape, ground, closed); });
    if (!error.empty()) {
        closed.clear();
    }
    return error;
}
