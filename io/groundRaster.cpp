#include "io/groundRaster.h"

#include "io/groundSource.h"
#include "io/printableText.h"
#include "terrain/groundWindow.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int GEO_TRANSFORM_SIZE = 6;

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// GDAL's own messages stay quiet while the ground loads; the caller prints one line.
class QuietGdal {
  public:
    QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

std::string fileError(const std::string& path, const std::string& what) {
    return groundFileError(path, what);
}

// GDAL's last message as one line.
std::string lastGdalError() {
    std::string text = CPLGetLastErrorMsg();
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text.empty() ? "GDAL gave no reason" : printable(text);
}

// Why GDAL could not open `path` as a raster.
std::string openFailure(const std::string& path) {
    // A driver that knew the file but could not read it left its reason.
    const std::string damage = CPLGetLastErrorType() == CE_None ? "" : lastGdalError();
    VSIStatBufL status;
    errno = 0;
    if (VSIStatL(path.c_str(), &status) != 0) {
        const bool missing = errno == 0 || errno == ENOENT || errno == ENOTDIR;
        return fileError(path, missing ? "does not exist"
                                       : std::string("cannot be read: ") + std::strerror(errno));
    }
    if (VSI_ISDIR(status.st_mode)) {
        return fileError(path, "is a folder, not a raster");
    }
    errno = 0;
    VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
    if (file == nullptr) {
        return fileError(path, std::string("cannot be read: ") +
                                   (errno != 0 ? std::strerror(errno) : "access denied"));
    }
    VSIFCloseL(file);
    return fileError(path, damage.empty() ? "is not a raster GDAL reads"
                                          : "is truncated or corrupt: " + damage);
}

// Both reference systems answer in (x = easting or longitude, y = northing or latitude).
void useXYOrder(OGRSpatialReference& srs) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
}

// Transforms (x, y) in place from `from` to `to`; false when it cannot.
bool transformPoint(const OGRSpatialReference& from, const OGRSpatialReference& to, double& x,
                    double& y) {
    std::unique_ptr<OGRCoordinateTransformation> transform(
        OGRCreateCoordinateTransformation(&from, &to));
    return transform != nullptr && transform->Transform(1, &x, &y);
}

// The working system for a raster in `source` whose centre is (x, y) in its own coordinates:
// empty for a raster without one. Returns the error, empty when it is usable.
std::string chooseWorkingSystem(const OGRSpatialReference& source, double x, double y,
                                OGRSpatialReference& working, const std::string& path) {
    if (source.IsEmpty()) {
        return {};
    }
    if (source.IsGeographic()) {
        OGRSpatialReference wgs84;
        wgs84.SetWellKnownGeogCS("WGS84");
        useXYOrder(wgs84);
        if (!transformPoint(source, wgs84, x, y)) {
            return fileError(path, "has a centre that cannot be placed on the globe");
        }
        working.importFromEPSG(utmZoneEpsg(x, y));
        useXYOrder(working);
        return {};
    }
    if (!source.IsProjected()) {
        return fileError(path, "has a coordinate system that is neither projected nor "
                               "longitude/latitude");
    }
    working = source;
    working.StripVertical();
    if (working.GetLinearUnits() != 1.0) {
        working.SetLinearUnitsAndUpdateParameters(SRS_UL_METER, 1.0);
    }
    useXYOrder(working);
    return {};
}

// The centre in the raster's own coordinates, the option's or its extent's; checks that it
// lies on the raster.
std::string chooseCentre(GDALDatasetH dataset, const double (&geo)[GEO_TRANSFORM_SIZE],
                         std::optional<double> centreX, std::optional<double> centreY, double& x,
                         double& y, const std::string& path) {
    const double columns = GDALGetRasterXSize(dataset);
    const double rows = GDALGetRasterYSize(dataset);
    if (!centreX || !centreY) {
        GDALApplyGeoTransform(const_cast<double*>(geo), columns / 2, rows / 2, &x, &y);
        return {};
    }
    x = *centreX;
    y = *centreY;
    double inverse[GEO_TRANSFORM_SIZE];
    double column = 0.0;
    double row = 0.0;
    if (!GDALInvGeoTransform(const_cast<double*>(geo), inverse)) {
        return "--centre: the raster's cells have no size";
    }
    GDALApplyGeoTransform(inverse, x, y, &column, &row);
    if (column < 0.0 || column > columns || row < 0.0 || row > rows) {
        return "--centre: " + CPLString().Printf("%.10g,%.10g", x, y) + " lies outside '" +
               printable(path) + "'";
    }
    return {};
}

// GDALWarp's command line for the grid window, in the working system when there is one.
std::vector<std::string> warpArguments(const GroundWindow& window, const std::string& wkt) {
    const std::string size = std::to_string(GRID_SIZE);
    std::vector<std::string> args = {"-of", "MEM", "-r", "bilinear", "-ot", "Float32"};
    args.insert(args.end(), {"-dstnodata", "nan", "-ts", size, size, "-te"});
    for (double edge : {window.minX, window.minY, window.maxX, window.maxY}) {
        args.push_back(CPLString().Printf("%.17g", edge));
    }
    if (!wkt.empty()) {
        args.insert(args.end(), {"-t_srs", wkt});
    }
    return args;
}

Dataset warpWindow(GDALDatasetH source, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
    if (options == nullptr) {
        return nullptr;
    }
    Dataset warped(GDALWarp("", nullptr, 1, &source, options, nullptr));
    GDALWarpAppOptionsFree(options);
    return warped;
}

std::string exportWkt(const OGRSpatialReference& srs) {
    if (srs.IsEmpty()) {
        return {};
    }
    char* text = nullptr;
    srs.exportToWkt(&text);
    std::string wkt = text != nullptr ? text : "";
    CPLFree(text);
    return wkt;
}

// Heights of the warped window: column i and row GRID_SIZE - 1 - j hold cell (i, j). The
// source band's scale, offset and unit give metres. False when no cell has ground.
bool readHeights(GDALDatasetH warped, GDALRasterBandH sourceBand, GroundHeights& heights) {
    std::vector<float> pixels(GRID_CELLS);
    if (GDALRasterIO(GDALGetRasterBand(warped, 1), GF_Read, 0, 0, GRID_SIZE, GRID_SIZE,
                     pixels.data(), GRID_SIZE, GRID_SIZE, GDT_Float32, 0, 0) != CE_None) {
        return false;
    }
    const double scale = GDALGetRasterScale(sourceBand, nullptr);
    const double offset = GDALGetRasterOffset(sourceBand, nullptr);
    const double metres = metresPerHeightUnit(GDALGetRasterUnitType(sourceBand));
    bool anyGround = false;
    for (int i = 0; i < GRID_SIZE; ++i) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            const double value = pixels[(GRID_SIZE - 1 - j) * GRID_SIZE + i];
            const double height = (value * scale + offset) * metres;
            // An infinite height is no ground: no step onto it could be costed.
            heights[i][j] = wholeMetres(std::isfinite(height) ? height : NAN);
            anyGround = anyGround || !std::isnan(heights[i][j]);
        }
    }
    return anyGround;
}

std::string loadChecked(const std::string& path, std::optional<double> centreX,
                        std::optional<double> centreY, GroundHeights& heights,
                        GroundReference& reference) {
    CPLErrorReset();
    const Dataset source(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!source) {
        return openFailure(path);
    }
    if (GDALGetRasterCount(source.get()) < 1) {
        return fileError(path, "holds no raster band");
    }
    double geo[GEO_TRANSFORM_SIZE];
    if (GDALGetGeoTransform(source.get(), geo) != CE_None) {
        return CPLGetLastErrorType() == CE_None
                   ? fileError(path, "has no georeferencing, so its cell size is unknown")
                   : fileError(path, "is truncated or corrupt: " + lastGdalError());
    }
    std::string error = checkGeoTransform(geo, GDALGetRasterXSize(source.get()),
                                          GDALGetRasterYSize(source.get()), path);
    if (!error.empty()) {
        return error;
    }
    double x = 0.0;
    double y = 0.0;
    error = chooseCentre(source.get(), geo, centreX, centreY, x, y, path);
    if (!error.empty()) {
        return error;
    }
    OGRSpatialReference sourceSystem;
    if (const OGRSpatialReferenceH found = GDALGetSpatialRef(source.get())) {
        sourceSystem = *OGRSpatialReference::FromHandle(found);
    }
    useXYOrder(sourceSystem);
    OGRSpatialReference working;
    error = chooseWorkingSystem(sourceSystem, x, y, working, path);
    if (!error.empty()) {
        return error;
    }
    if (!working.IsEmpty() && !transformPoint(sourceSystem, working, x, y)) {
        return fileError(path, "cannot be brought into metres: " + lastGdalError());
    }
    const GroundWindow window = windowAround(x, y);
    const std::string wkt = exportWkt(working);
    std::vector<std::string> args = warpArguments(window, wkt);
    std::vector<std::string> overview;
    error = fitReadBudget(source.get(), geo, window, sourceSystem, working, path, overview);
    if (!error.empty()) {
        return error;
    }
    args.insert(args.end(), overview.begin(), overview.end());
    const Dataset warped = warpWindow(source.get(), args);
    if (!warped) {
        return fileError(path, "cannot be sampled: " + lastGdalError());
    }
    if (!readHeights(warped.get(), GDALGetRasterBand(source.get(), 1), heights)) {
        return fileError(path, "has no ground in the 365 x 365 cells around the centre");
    }
    reference = {wkt, window.originX, window.originY};
    return {};
}

} // namespace

std::string loadGroundRaster(const std::string& path, std::optional<double> centreX,
                             std::optional<double> centreY, GroundHeights& heights,
                             GroundReference& reference) {
    const QuietGdal quiet;
    GDALAllRegister();
    refuseNonFileSources();
    takeRefusedSource();
    std::string error = checkGroundName(path);
    GroundReference loaded;
    if (error.empty()) {
        error = loadChecked(path, centreX, centreY, heights, loaded);
    }
    // A source GDAL was refused fails the load even when the rest of the raster had ground.
    const std::string refused = takeRefusedSource();
    if (!refused.empty()) {
        return fileError(path, "cannot be loaded: " + refused);
    }
    if (error.empty()) {
        reference = loaded;
    }
    return error;
}
