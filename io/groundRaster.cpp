// Loading the ground raster: the working system and the target grid chosen, the pixels read as
// the cells when they already are, else warped through GDAL, then the band read into x-major
// heights in metres.

#include "io/groundRaster.h"

#include "io/groundSource.h"
#include "io/lonLat.h"
#include "io/printableText.h"
#include "io/validPixels.h"
#include "terrain/groundUnits.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_utils.h>
#include <gdal_vrt.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int GEO_TRANSFORM_SIZE = 6;
constexpr const char* CELL_SIZE_OPTION = "--cell-size";
// Source rows read at once when the pixels are the cells.
constexpr int BAND_ROWS = 256;
// GDAL's block cache while loading, bytes: reading each block once needs no more.
constexpr GIntBig LOAD_CACHE_BYTES = 64 << 20;
// Whole turns round the globe a longitude is tried at: a raster spans at most one or two.
constexpr int MOST_TURNS = 3;

std::string fileError(const std::string& path, const std::string& what) {
    return sourceFileError(TERRAIN_OPTION, path, what);
}

// Both reference systems answer in (x = easting or longitude, y = northing or latitude).
void useXYOrder(OGRSpatialReference& srs) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
}

// Transforms (x, y) in place from `from` to `to`; false when it cannot. Two empty systems are
// the same local grid.
bool transformPoint(const OGRSpatialReference& from, const OGRSpatialReference& to, double& x,
                    double& y) {
    if (from.IsEmpty() || to.IsEmpty()) {
        return from.IsEmpty() && to.IsEmpty();
    }
    std::unique_ptr<OGRCoordinateTransformation> transform(
        OGRCreateCoordinateTransformation(&from, &to));
    return transform != nullptr && transform->Transform(1, &x, &y) && std::isfinite(x) &&
           std::isfinite(y);
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

bool importWkt(const std::string& wkt, OGRSpatialReference& srs) {
    if (wkt.empty()) {
        return true;
    }
    if (srs.importFromWkt(wkt.c_str()) != OGRERR_NONE) {
        return false;
    }
    useXYOrder(srs);
    return true;
}

// The raster as it was opened: its pixels, georeferencing and systems.
struct Source {
    GDALDatasetH dataset = nullptr;
    int width = 0;
    int height = 0;
    double geo[GEO_TRANSFORM_SIZE] = {};
    OGRSpatialReference system;  // the raster's own; empty when it has none
    OGRSpatialReference working; // metres, where the grid is laid
};

// The longitudes a whole number of turns east or west of `x` that lie within the raster's
// range of longitudes, west first: the same place, written as the raster's pixels are. None on
// a raster that is not in longitude and latitude.
std::vector<double> turnedLongitudes(const Source& source, double x) {
    std::vector<double> turned;
    if (!source.system.IsGeographic()) {
        return turned;
    }
    const double* g = source.geo;
    const double corners[] = {g[0], g[0] + g[1] * source.width, g[0] + g[2] * source.height,
                              g[0] + g[1] * source.width + g[2] * source.height};
    const double west = *std::min_element(std::begin(corners), std::end(corners));
    const double east = *std::max_element(std::begin(corners), std::end(corners));
    const double turn = longitudeTurn(source.system.GetAngularUnits());
    const double first = std::ceil((west - x) / turn);
    for (int k = 0; k < MOST_TURNS && std::isfinite(first) && x + (first + k) * turn <= east; ++k) {
        if (first + k != 0.0) {
            turned.push_back(x + (first + k) * turn);
        }
    }
    return turned;
}

// The centre in the raster's own coordinates, the option's or its extent's; checks that it
// lies on the raster, a longitude moved by whole turns onto it when that lands it there.
std::string chooseCentre(const Source& source, const GroundRequest& request, double& x, double& y) {
    double* geo = const_cast<double*>(source.geo);
    if (!request.centreX || !request.centreY) {
        GDALApplyGeoTransform(geo, source.width / 2.0, source.height / 2.0, &x, &y);
        return {};
    }
    x = *request.centreX;
    y = *request.centreY;
    // A centre given in another system is brought into the raster's own; one that cannot be
    // lies on no raster.
    std::vector<double> xs{x};
    std::vector<double> ys{y};
    if (!request.centreSystem.empty() &&
        !CoordinateTransform(request.centreSystem, exportWkt(source.system)).apply(xs, ys)) {
        xs[0] = ys[0] = std::numeric_limits<double>::quiet_NaN();
    }
    double inverse[GEO_TRANSFORM_SIZE];
    if (!GDALInvGeoTransform(geo, inverse)) {
        return "--centre: the raster's cells have no size";
    }
    const double ownY = ys[0];
    const auto onRaster = [&](double px) {
        double column = 0.0;
        double row = 0.0;
        GDALApplyGeoTransform(inverse, px, ownY, &column, &row);
        return column >= 0.0 && column <= source.width && row >= 0.0 && row <= source.height;
    };
    std::vector<double> candidates{xs[0]};
    for (const double turned : turnedLongitudes(source, xs[0])) {
        candidates.push_back(turned);
    }
    for (const double candidate : candidates) {
        if (onRaster(candidate)) {
            x = candidate;
            y = ownY;
            return {};
        }
    }
    return "--centre: " + CPLString().Printf("%.10g,%.10g", x, y) + " lies outside '" +
           printable(request.path) + "'";
}

// The smaller side, in working metres, of the raster's pixel at its own point (x, y); 0 when it
// cannot be measured.
double pixelSideMetres(const Source& source, double x, double y) {
    double sides[2] = {0.0, 0.0};
    const double steps[2][2] = {{source.geo[1], source.geo[4]}, {source.geo[2], source.geo[5]}};
    for (int k = 0; k < 2; ++k) {
        double ax = x;
        double ay = y;
        double bx = x + steps[k][0];
        double by = y + steps[k][1];
        if (!transformPoint(source.system, source.working, ax, ay) ||
            !transformPoint(source.system, source.working, bx, by)) {
            return 0.0;
        }
        sides[k] = std::hypot(bx - ax, by - ay);
    }
    return std::min(sides[0], sides[1]);
}

// True when the raster's pixels can be the cells as they are: square, north or south up, in
// metres of the working system. Read as they are, a pixel without ground stays one hole; a warp
// would spread it to its neighbours.
bool pixelsAreCells(const Source& source, const std::optional<double>& cellSize) {
    const double* g = source.geo;
    const bool sameSystem = source.system.IsEmpty() ||
                            (source.system.IsProjected() && source.system.GetLinearUnits() == 1.0);
    return sameSystem && g[2] == 0.0 && g[4] == 0.0 && g[1] > 0.0 && std::fabs(g[5]) == g[1] &&
           (!cellSize || *cellSize == g[1]);
}

// True for a raster whose first row is its southernmost.
bool isSouthUp(const Source& source) {
    return source.geo[5] > 0.0;
}

// The grid of the warped output: its shape, and the centre of its cell (0, 0) in working metres.
struct TargetGrid {
    GridShape shape;
    double originX = 0.0;
    double originY = 0.0;
};

// Counts in doubles: cells tiny beside the ground make counts no integer type holds.
std::string gridTooLarge(double columns, double rows) {
    return CPLString().Printf("the grid would be %.0f x %.0f cells, more than the %zu million a "
                              "run takes; choose coarser cells with --cell-size or a part with "
                              "--size",
                              columns, rows, MAX_GRID_CELLS / 1'000'000);
}

// The cells asked for must be told apart where they lie, by the same bound a raster's pixels
// are read with: else the files a plan writes hold a grid this program refuses to read back.
std::string checkCellSize(const GroundRequest& request, double x, double y) {
    if (!request.cellSize) {
        return {};
    }
    const double cell = *request.cellSize;
    const double geo[GEO_TRANSFORM_SIZE] = {x - cell / 2.0, cell, 0.0, y + cell / 2.0, 0.0, -cell};
    if (checkGeoTransform(geo, 1, 1, CELL_SIZE_OPTION, request.path).empty()) {
        return {};
    }
    return CPLString().Printf("--cell-size: cells of %g m are too small to be told apart this far "
                              "from the origin of '%s'",
                              cell, printable(request.path).c_str());
}

// The bounding box of the raster's four corners in working metres, through `transformer`:
// exact for a raster in a projected system or none, whose outline stays a parallelogram.
bool cornerExtent(const Source& source, void* transformer, double extent[4]) {
    double x[4] = {0.0, double(source.width), 0.0, double(source.width)};
    double y[4] = {0.0, 0.0, double(source.height), double(source.height)};
    double z[4] = {};
    int placed[4] = {};
    if (!GDALGenImgProjTransform(transformer, FALSE, 4, x, y, z, placed) ||
        std::find(placed, placed + 4, FALSE) != placed + 4) {
        return false;
    }
    extent[0] = *std::min_element(x, x + 4);
    extent[1] = *std::min_element(y, y + 4);
    extent[2] = *std::max_element(x, x + 4);
    extent[3] = *std::max_element(y, y + 4);
    return true;
}

// The extent of the whole raster in working metres. GDAL's suggested warp output rounds the
// extent to a pixel size of its own, which for pixels that are not square would move the grid
// off the raster by part of a cell; it is needed only where the outline bends, from longitude
// and latitude.
bool workingExtent(const Source& source, double extent[4]) {
    const std::string wkt = exportWkt(source.working);
    char** options = nullptr;
    if (!wkt.empty()) {
        options = CSLSetNameValue(options, "DST_SRS", wkt.c_str());
    }
    void* transformer = GDALCreateGenImgProjTransformer2(source.dataset, nullptr, options);
    CSLDestroy(options);
    if (transformer == nullptr) {
        return false;
    }
    bool found = false;
    if (source.system.IsGeographic()) {
        double geo[GEO_TRANSFORM_SIZE];
        int pixels = 0;
        int lines = 0;
        found = GDALSuggestedWarpOutput2(source.dataset, GDALGenImgProjTransform, transformer, geo,
                                         &pixels, &lines, extent, 0) == CE_None;
    } else {
        found = cornerExtent(source, transformer, extent);
    }
    GDALDestroyGenImgProjTransformer(transformer);
    return found && std::isfinite(extent[0]) && std::isfinite(extent[3]);
}

// Lays the target grid: a window around the centre, or the whole raster's extent.
std::string layTarget(const Source& source, const GroundRequest& request, double centreX,
                      double centreY, double cell, TargetGrid& target) {
    if (request.columns) {
        const int columns = *request.columns;
        const int rows = request.rows ? *request.rows : columns;
        if (static_cast<std::size_t>(columns) * rows > MAX_GRID_CELLS) {
            return "--size: " + gridTooLarge(columns, rows);
        }
        target.shape = {columns, rows, cell};
        target.originX = centreX - (columns / 2) * cell;
        target.originY = centreY - (rows / 2) * cell;
        return {};
    }
    double extent[4]; // min x, min y, max x, max y
    if (!workingExtent(source, extent)) {
        return fileError(request.path, "cannot be brought into metres: " + lastGdalError());
    }
    const double columns = std::max(1.0, std::round((extent[2] - extent[0]) / cell));
    const double rows = std::max(1.0, std::round((extent[3] - extent[1]) / cell));
    if (columns * rows > static_cast<double>(MAX_GRID_CELLS)) {
        return fileError(request.path, gridTooLarge(columns, rows));
    }
    target.shape = {static_cast<int>(columns), static_cast<int>(rows), cell};
    target.originX = extent[0] + cell / 2.0;
    target.originY = extent[1] + cell / 2.0;
    return {};
}

GroundExtent targetExtent(const TargetGrid& target) {
    const GridShape& s = target.shape;
    const double half = s.spacing / 2.0;
    return {target.originX - half, target.originY - half,
            target.originX + (s.columns - 1) * s.spacing + half,
            target.originY + (s.rows - 1) * s.spacing + half};
}

// GDALWarp's command line for the target grid, in the working system when there is one. A NaN
// pixel of a band without nodata or mask is nodata to the warp, so it does not spread into the
// cells around it.
std::vector<std::string> warpArguments(const TargetGrid& target, const std::string& wkt,
                                       bool coarsening, GDALRasterBandH source) {
    const GridShape& s = target.shape;
    const double half = s.spacing / 2.0;
    std::vector<std::string> args = {"-of", "MEM",    "-r", coarsening ? "average" : "bilinear",
                                     "-ot", "Float32"};
    args.insert(args.end(), {"-dstnodata", "nan", "-ts", std::to_string(s.columns),
                             std::to_string(s.rows), "-te"});
    for (double edge : {target.originX - half, target.originY - half,
                        target.originX + (s.columns - 1) * s.spacing + half,
                        target.originY + (s.rows - 1) * s.spacing + half}) {
        args.push_back(CPLString().Printf("%.17g", edge));
    }
    if (!wkt.empty()) {
        args.insert(args.end(), {"-t_srs", wkt});
    }
    if (GDALGetMaskFlags(source) == GMF_ALL_VALID &&
        GDALDataTypeIsFloating(GDALGetRasterDataType(source))) {
        args.insert(args.end(), {"-srcnodata", "nan"});
    }
    return args;
}

// The raster as the warp reads it when its band holds floats and no mask or alpha band: VRTs, one
// over the other, in which the band's nodata value and infinite heights read as NaN and NaN is
// nodata. Each such pixel is then a single hole, as a nodata pixel is, where the warp would
// otherwise average it into the cells around it. The first layer is the one to read, each over
// the next, so that each goes before the one it reads; none for any other band.
std::vector<Dataset> nanForNonFinite(const Source& source, GDALRasterBandH band) {
    std::vector<Dataset> layers;
    const GDALDataType type = GDALGetRasterDataType(band);
    const int maskFlags = GDALGetMaskFlags(band);
    if (!GDALDataTypeIsFloating(type) || (maskFlags != GMF_NODATA && maskFlags != GMF_ALL_VALID)) {
        return layers;
    }
    std::vector<double> toNan = {std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()};
    int has = 0;
    const double nodata = GDALGetRasterNoDataValue(band, &has);
    if (has != 0 && std::isfinite(nodata) && maskFlags == GMF_NODATA) {
        toNan.insert(toNan.begin(), nodata);
    }
    GDALRasterBandH below = band;
    for (const double value : toNan) {
        Dataset vrt(VRTCreate(source.width, source.height));
        if (!vrt || GDALAddBand(vrt.get(), type, nullptr) != CE_None) {
            return {};
        }
        GDALRasterBandH nan = GDALGetRasterBand(vrt.get(), 1);
        GDALSetRasterNoDataValue(nan, std::numeric_limits<double>::quiet_NaN());
        VRTAddComplexSource(nan, below, 0, 0, source.width, source.height, 0, 0, source.width,
                            source.height, 0.0, 1.0, value);
        GDALSetGeoTransform(vrt.get(), const_cast<double*>(source.geo));
        GDALSetSpatialRef(vrt.get(), GDALGetSpatialRef(source.dataset));
        below = nan;
        layers.insert(layers.begin(), std::move(vrt));
    }
    return layers;
}

// GDAL's progress callback, which tells the report of a warp how far it has come.
int CPL_STDCALL warpProgress(double complete, const char*, void* data) {
    ProgressReport& report = *static_cast<ProgressReport*>(data);
    report.update(static_cast<std::size_t>(complete * report.total()));
    return TRUE;
}

Dataset warp(GDALDatasetH source, const std::vector<std::string>& args, ProgressReport& report) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
    if (options == nullptr) {
        return nullptr;
    }
    GDALWarpAppOptionsSetProgress(options, warpProgress, &report);
    Dataset warped(GDALWarp("", nullptr, 1, &source, options, nullptr));
    GDALWarpAppOptionsFree(options);
    return warped;
}

// How the band's numbers become metres; a value that is not finite, before or after, is none.
float heightOf(const BandUnits& units, float value) {
    if (!std::isfinite(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    const float h = static_cast<float>(units.value(value));
    return std::isfinite(h) ? h : std::numeric_limits<float>::quiet_NaN();
}

// The band's mask (nodata compared in the band's own type, a mask or an alpha band), or none
// when every pixel is valid. A warped band needs none: its holes are already NaN.
GDALRasterBandH validityMask(GDALRasterBandH band) {
    return (GDALGetMaskFlags(band) & GMF_ALL_VALID) != 0 ? nullptr : GDALGetMaskBand(band);
}

// Reads rows [row, row + rows) of `band` into `into`. A driver may report a failed read and
// still hand back zeros: any failure it reported fails the read.
bool readRows(GDALRasterBandH band, int row, int rows, int columns, GDALDataType type, void* into) {
    CPLErrorReset();
    return GDALRasterIO(band, GF_Read, 0, row, columns, rows, into, columns, rows, type, 0, 0) ==
               CE_None &&
           CPLGetLastErrorType() != CE_Failure;
}

// Reads `band` (north-up pixels, or south-up ones, width columns and rows of the shape) into
// x-major heights: pixel column i and row rows - 1 - j (j when south up) hold cell (i, j); a
// pixel `mask` (when there is one) marks invalid is no ground. False when no cell has ground.
bool readHeights(GDALRasterBandH band, GDALRasterBandH mask, bool southUp, const BandUnits& units,
                 const GridShape& shape, std::vector<float>& heights, std::string& error,
                 ProgressReport& report) {
    heights.assign(shape.cells(), std::numeric_limits<float>::quiet_NaN());
    std::vector<float> pixels;
    std::vector<GByte> valid;
    bool anyGround = false;
    for (int row = 0; row < shape.rows; row += BAND_ROWS) {
        report.update(static_cast<std::size_t>(row) * shape.columns);
        const int bandRows = std::min(BAND_ROWS, shape.rows - row);
        pixels.resize(static_cast<std::size_t>(bandRows) * shape.columns);
        valid.assign(mask != nullptr ? pixels.size() : 0, 1);
        if (!readRows(band, row, bandRows, shape.columns, GDT_Float32, pixels.data()) ||
            (mask != nullptr &&
             !readRows(mask, row, bandRows, shape.columns, GDT_Byte, valid.data()))) {
            error = lastGdalError();
            return false;
        }
        for (int r = 0; r < bandRows; ++r) {
            const int y = southUp ? row + r : shape.rows - 1 - (row + r);
            const std::size_t first = static_cast<std::size_t>(r) * shape.columns;
            const float* line = pixels.data() + first;
            for (int i = 0; i < shape.columns; ++i) {
                const bool masked = mask != nullptr && valid[first + i] == 0;
                const float h =
                    masked ? std::numeric_limits<float>::quiet_NaN() : heightOf(units, line[i]);
                heights[shape.index(i, y)] = h;
                anyGround = anyGround || !std::isnan(h);
            }
        }
    }
    return anyGround;
}

std::string openSource(const std::string& path, Dataset& dataset, Source& source) {
    CPLErrorReset();
    dataset.reset(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!dataset) {
        return openFailure(TERRAIN_OPTION, path, "a raster");
    }
    source.dataset = dataset.get();
    if (GDALGetRasterCount(source.dataset) < 1) {
        return fileError(path, "holds no raster band");
    }
    for (const auto check : {checkBlockSizes, checkVrtSources}) {
        const std::string error = check(source.dataset, TERRAIN_OPTION, path);
        if (!error.empty()) {
            return error;
        }
    }
    source.width = GDALGetRasterXSize(source.dataset);
    source.height = GDALGetRasterYSize(source.dataset);
    if (GDALGetGeoTransform(source.dataset, source.geo) != CE_None) {
        return CPLGetLastErrorType() == CE_None
                   ? fileError(path, "has no georeferencing, so its cell size is unknown")
                   : fileError(path, "is truncated or corrupt: " + lastGdalError());
    }
    const std::string error =
        checkGeoTransform(source.geo, source.width, source.height, TERRAIN_OPTION, path);
    if (!error.empty()) {
        return error;
    }
    if (const OGRSpatialReferenceH found = GDALGetSpatialRef(source.dataset)) {
        source.system = *OGRSpatialReference::FromHandle(found);
    }
    useXYOrder(source.system);
    return {};
}

std::string loadChecked(const GroundRequest& request, LoadedGround& ground,
                        const ProgressListener& progress);

} // namespace

std::string loadGroundRaster(const GroundRequest& request, LoadedGround& ground,
                             const ProgressListener& progress) {
    const QuietGdal quiet;
    GDALAllRegister();
    refuseNonFileSources();
    takeRefusedSource();
    GDALSetCacheMax64(LOAD_CACHE_BYTES);
    std::string error = checkSourceName(TERRAIN_OPTION, request.path);
    if (error.empty()) {
        error = loadChecked(request, ground, progress);
    }
    // A source GDAL was refused fails the load even when the rest of the raster had ground.
    const std::string refused = takeRefusedSource();
    if (!refused.empty()) {
        return fileError(request.path, "cannot be loaded: " + refused);
    }
    return error;
}

namespace {

std::string loadChecked(const GroundRequest& request, LoadedGround& ground,
                        const ProgressListener& progress) {
    const std::string& path = request.path;
    Dataset dataset;
    Source source;
    std::string error = openSource(path, dataset, source);
    if (!error.empty()) {
        return error;
    }
    if (!request.centreSystem.empty() && source.system.IsEmpty()) {
        return CRS_WITHOUT_GROUND_SYSTEM;
    }
    double x = 0.0;
    double y = 0.0;
    error = chooseCentre(source, request, x, y);
    if (!error.empty()) {
        return error;
    }
    error = chooseWorkingSystem(source.system, x, y, source.working, path);
    if (!error.empty()) {
        return error;
    }
    const double nativeCell = pixelSideMetres(source, x, y);
    if (!(nativeCell > 0.0) || !std::isfinite(nativeCell)) {
        return fileError(path, "has pixels whose size cannot be measured in metres");
    }
    if (!transformPoint(source.system, source.working, x, y)) {
        return fileError(path, "cannot be brought into metres: " + lastGdalError());
    }
    error = checkCellSize(request, x, y);
    if (!error.empty()) {
        return error;
    }
    const double cell = request.cellSize ? *request.cellSize : nativeCell;
    GDALRasterBandH sourceBand = GDALGetRasterBand(source.dataset, 1);
    const char* unit = GDALGetRasterUnitType(sourceBand);
    const double metres = metresPerHeightUnit(unit != nullptr ? unit : "");
    if (metres == UNKNOWN_UNIT) {
        return fileError(path, "has heights in '" + printable(unit) +
                                   "', a unit that cannot be turned into metres");
    }
    // An alpha band GDAL leaves out of the band's mask is applied here: the band is read
    // through a layer that is NaN wherever the mask or the alpha is 0.
    const GDALRasterBandH alpha = unmaskedAlphaBand(source.dataset);
    const Dataset masked = alpha != nullptr ? maskedFirstBand(source.dataset, alpha) : nullptr;
    if (alpha != nullptr && !masked) {
        return fileError(path, "cannot be read: " + lastGdalError());
    }
    const GDALRasterBandH valueBand = masked ? GDALGetRasterBand(masked.get(), 1) : sourceBand;
    Dataset warped;
    TargetGrid target;
    GDALRasterBandH band = valueBand;
    if (!request.columns && pixelsAreCells(source, request.cellSize)) {
        if (static_cast<std::size_t>(source.width) * source.height > MAX_GRID_CELLS) {
            return fileError(path, gridTooLarge(source.width, source.height));
        }
        target.shape = {source.width, source.height, source.geo[1]};
        target.originX = source.geo[0] + source.geo[1] / 2.0;
        target.originY = isSouthUp(source) ? source.geo[3] + source.geo[5] * 0.5
                                           : source.geo[3] + source.geo[5] * (source.height - 0.5);
    } else {
        error = layTarget(source, request, x, y, cell, target);
        if (!error.empty()) {
            return error;
        }
        const std::vector<Dataset> nan =
            masked ? std::vector<Dataset>{} : nanForNonFinite(source, sourceBand);
        GDALDatasetH read = nan.empty() ? source.dataset : nan.front().get();
        std::vector<std::string> args =
            warpArguments(target, exportWkt(source.working), cell > nativeCell, valueBand);
        std::vector<std::string> overview;
        error = fitReadBudget(read, source.geo, targetExtent(target),
                              groundReadBudget(target.shape.cells()), source.system, source.working,
                              TERRAIN_OPTION, path, overview);
        if (!error.empty()) {
            return error;
        }
        // The masked layer has no overviews of its own: one is laid over the chosen one instead.
        Dataset coarse;
        if (masked && !overview.empty()) {
            coarse = maskedFirstBand(source.dataset, alpha, std::stoi(overview.back()));
            overview.clear();
            if (!coarse) {
                return fileError(path, "cannot be read: its alpha band lacks the overview the "
                                       "grid needs");
            }
        }
        read = coarse ? coarse.get() : masked ? masked.get() : read;
        args.insert(args.end(), overview.begin(), overview.end());
        ProgressReport report("Resampling " + printable(path), target.shape.cells(), progress);
        warped = warp(read, args, report);
        if (!warped) {
            return fileError(path, "cannot be sampled: " + lastGdalError());
        }
        band = GDALGetRasterBand(warped.get(), 1);
    }
    if (target.shape.columns < MIN_GRID_SIDE || target.shape.rows < MIN_GRID_SIDE) {
        return fileError(path, CPLString().Printf("makes a grid of %d x %d cells; at least %d x "
                                                  "%d are needed",
                                                  target.shape.columns, target.shape.rows,
                                                  MIN_GRID_SIDE, MIN_GRID_SIDE));
    }
    ProgressReport report("Loading " + printable(path), target.shape.cells(), progress);
    const GDALRasterBandH mask = band == sourceBand ? validityMask(band) : nullptr;
    const bool southUp = band == valueBand && isSouthUp(source);
    if (!readHeights(band, mask, southUp, bandUnits(sourceBand, metres), target.shape,
                     ground.heights, error, report)) {
        return fileError(path, error.empty() ? "has no ground in the chosen part"
                                             : "cannot be read: " + error);
    }
    ground.shape = target.shape;
    ground.reference = {exportWkt(source.working), target.originX, target.originY,
                        exportWkt(source.system)};
    return {};
}

} // namespace

bool toWorkingPoint(const GroundReference& reference, double& x, double& y) {
    std::vector<double> xs{x};
    std::vector<double> ys{y};
    if (!toWorkingPoints(reference, xs, ys)) {
        return false;
    }
    x = xs[0];
    y = ys[0];
    return true;
}

bool toWorkingPoints(const GroundReference& reference, std::vector<double>& xs,
                     std::vector<double>& ys) {
    OGRSpatialReference own;
    OGRSpatialReference working;
    if (!importWkt(reference.sourceCrsWkt, own) || !importWkt(reference.crsWkt, working) ||
        xs.size() != ys.size()) {
        return false;
    }
    if (own.IsEmpty() || working.IsEmpty()) {
        return own.IsEmpty() && working.IsEmpty();
    }
    // One transformation for all: building it costs far more than using it.
    std::unique_ptr<OGRCoordinateTransformation> transform(
        OGRCreateCoordinateTransformation(&own, &working));
    const auto finite = [](double v) { return std::isfinite(v); };
    return transform != nullptr &&
           transform->Transform(static_cast<int>(xs.size()), xs.data(), ys.data()) &&
           std::all_of(xs.begin(), xs.end(), finite) && std::all_of(ys.begin(), ys.end(), finite);
}
