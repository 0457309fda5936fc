// Sampling a raster onto the grid: the file's georeferencing and sources checked, an overview
// chosen when the full raster is too fine for the read budget, an alpha band GDAL's mask leaves
// out applied, then one nearest-pixel warp.

#include "io/gridSample.h"

#include "io/validPixels.h"

#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <vector>

namespace {

constexpr int GEO_TRANSFORM_SIZE = 6;

// The warp options that keep sampling within the ground's read budget (an overview when the
// full raster is too fine) go to `args`.
std::string readBudget(GDALDatasetH file, const double (&geo)[GEO_TRANSFORM_SIZE],
                       const GroundReference& ground, const GridShape& shape, const char* option,
                       const std::string& path, std::vector<std::string>& args) {
    OGRSpatialReference system;
    if (const OGRSpatialReferenceH found = GDALGetSpatialRef(file)) {
        system = *OGRSpatialReference::FromHandle(found);
    }
    OGRSpatialReference working;
    if (!ground.crsWkt.empty()) {
        working.importFromWkt(ground.crsWkt.c_str());
    }
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    working.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const double columns = shape.columns;
    const double rows = shape.rows;
    const double half = shape.spacing / 2.0;
    const GroundExtent extent{ground.originX - half, ground.originY - half,
                              ground.originX + (columns - 1) * shape.spacing + half,
                              ground.originY + (rows - 1) * shape.spacing + half};
    std::vector<std::string> overview;
    const std::string error =
        fitReadBudget(file, geo, extent, groundReadBudget(std::size_t(columns * rows)), system,
                      working, option, path, overview);
    args.insert(args.end(), overview.begin(), overview.end());
    return error;
}

} // namespace

Dataset gridRaster(const GridShape& shape, const GroundReference& ground, GDALDataType type) {
    GDALDriverH memory = GDALGetDriverByName("MEM");
    Dataset grid(GDALCreate(memory, "", shape.columns, shape.rows, 1, type, nullptr));
    if (!grid) {
        return grid;
    }
    const double half = shape.spacing / 2.0;
    double geo[GEO_TRANSFORM_SIZE] = {ground.originX - half,
                                      shape.spacing,
                                      0.0,
                                      ground.originY + (shape.rows - 1) * shape.spacing + half,
                                      0.0,
                                      -shape.spacing};
    GDALSetGeoTransform(grid.get(), geo);
    if (!ground.crsWkt.empty()) {
        GDALSetProjection(grid.get(), ground.crsWkt.c_str());
    }
    return grid;
}

std::string systemMismatch(bool fileHasSystem, const GroundReference& ground, const char* option,
                           const std::string& path) {
    if (!fileHasSystem && !ground.crsWkt.empty()) {
        return sourceFileError(option, path, "has no coordinate system, but the ground has one");
    }
    return {};
}

std::string sampleOntoGrid(GDALDatasetH file, const std::string& path, const char* option,
                           const GroundReference& ground, const GridShape& shape, GDALDatasetH grid,
                           const std::vector<std::string>& warpOptions) {
    std::vector<std::string> args = {"-r", "near"};
    args.insert(args.end(), warpOptions.begin(), warpOptions.end());
    double geo[GEO_TRANSFORM_SIZE];
    if (GDALGetGeoTransform(file, geo) != CE_None) {
        return sourceFileError(option, path, "has no georeferencing");
    }
    std::string error =
        checkGeoTransform(geo, GDALGetRasterXSize(file), GDALGetRasterYSize(file), option, path);
    for (const auto check : {checkBlockSizes, checkVrtSources}) {
        if (error.empty()) {
            error = check(file, option, path);
        }
    }
    if (error.empty()) {
        error = systemMismatch(GDALGetSpatialRef(file) != nullptr, ground, option, path);
    }
    std::vector<std::string> overview;
    if (error.empty()) {
        error = readBudget(file, geo, ground, shape, option, path, overview);
    }
    if (!error.empty()) {
        return error;
    }
    // GDAL's warper takes only the last band, and only as weights out of 255, for an alpha band
    // it leaves out of the mask: such a file is read through a layer without a value wherever
    // its alpha is 0, laid over the overview chosen, as the ground's is.
    Dataset masked;
    if (const GDALRasterBandH alpha = unmaskedAlphaBand(file)) {
        masked = maskedFirstBand(file, alpha, overview.empty() ? -1 : std::stoi(overview.back()));
        if (!masked) {
            return sourceFileError(option, path, "cannot be sampled: " + lastGdalError());
        }
        file = masked.get();
        overview.clear();
    }
    args.insert(args.end(), overview.begin(), overview.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
    if (options == nullptr) {
        return sourceFileError(option, path, "cannot be sampled: " + lastGdalError());
    }
    const GDALDatasetH warped = GDALWarp(nullptr, grid, 1, &file, options, nullptr);
    GDALWarpAppOptionsFree(options);
    return warped == nullptr
               ? sourceFileError(option, path, "cannot be sampled: " + lastGdalError())
               : std::string{};
}
