// Writing reach as polygons: each value's cells are marked in a byte mask laid out as the cost
// table is, GDAL's polygonizer traces the mask's areas over the window that holds them, and
// OGR's drivers write one multipolygon a value. The file is built whole in GDAL's memory file
// system and its bytes then replace the target, as the route files are.

#include "io/isochroneFile.h"

#include "io/ogrFile.h"
#include "planner/route.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_frmts.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr char LAYER_NAME[] = "reach";
// One folder of GDAL's memory file system for the file being built and the side files its
// driver makes there (a GeoPackage's journal).
constexpr char MEMORY_FOLDER[] = "/vsimem/landscapeReach";
constexpr double SQUARE_METRES_PER_KM2 = 1e6;
constexpr int POINTER_ROOM = 64;
constexpr uint8_t WITHIN = 1;
// The GeoPackage's own system for plain metres on no particular ground (its srs_id -1).
constexpr char UNDEFINED_CARTESIAN[] = "LOCAL_CS[\"Undefined Cartesian SRS\"]";

struct FormatInfo {
    IsochroneFormat format;
    const char* name;
    const char* file;
    const char* driver;
};

constexpr FormatInfo FORMATS[] = {
    {IsochroneFormat::GeoPackage, "gpkg", "isochrones.gpkg", "GPKG"},
    {IsochroneFormat::GeoJson, "geojson", "isochrones.geojson", "GeoJSON"}};

const FormatInfo& infoOf(IsochroneFormat format) {
    return *std::find_if(std::begin(FORMATS), std::end(FORMATS),
                         [format](const FormatInfo& info) { return info.format == format; });
}

using Dataset = OgrDataset;
using Geometry = OgrGeometry;
using Feature = OgrFeature;
using SpatialReference = OgrSpatialReference;

std::string lastError() {
    return ogrLastError();
}

// The cells within one value: a byte a cell (WITHIN or 0) indexed as the cost table, how many
// there are and the smallest window of the grid that holds them all.
struct Mask {
    std::vector<uint8_t> cells;
    std::size_t count = 0;
    int firstX = 0;
    int lastX = -1;
    int firstY = 0;
    int lastY = -1;
};

void markWithin(const float* costs, const GridShape& shape, double limit, Mask& mask) {
    mask.cells.resize(shape.cells());
    mask.count = 0;
    mask.firstX = shape.columns;
    mask.lastX = -1;
    mask.firstY = shape.rows;
    mask.lastY = -1;
    for (int x = 0; x < shape.columns; ++x) {
        const float* column = costs + shape.index(x, 0);
        uint8_t* marks = mask.cells.data() + shape.index(x, 0);
        std::size_t inColumn = 0;
        for (int y = 0; y < shape.rows; ++y) {
            marks[y] = withinReach(column[y], limit) ? WITHIN : 0;
            inColumn += marks[y];
        }
        if (inColumn == 0) {
            continue;
        }
        mask.count += inColumn;
        mask.firstX = std::min(mask.firstX, x);
        mask.lastX = x;
        int first = 0;
        while (marks[first] != WITHIN) {
            ++first;
        }
        int last = shape.rows - 1;
        while (marks[last] != WITHIN) {
            --last;
        }
        mask.firstY = std::min(mask.firstY, first);
        mask.lastY = std::max(mask.lastY, last);
    }
}

// Where the polygonizer's progress (0..1 of one value) lands in the whole file's.
struct ValueProgress {
    ProgressReport& report;
    std::size_t value;
    std::size_t values;
};

int tellProgress(double complete, const char*, void* data) {
    const ValueProgress& p = *static_cast<const ValueProgress*>(data);
    const double share = (static_cast<double>(p.value) + complete) / static_cast<double>(p.values);
    p.report.update(static_cast<std::size_t>(share * static_cast<double>(p.report.total())));
    return TRUE;
}

// The mask's window as a one-band raster over the mask's own bytes. Its lines are the grid's
// columns (x) and its pixels their cells (y), as the table lies in memory, so the geotransform
// turns a pixel's line into east and its place along the line into north.
Dataset maskRaster(Mask& mask, const GridShape& shape, const GroundReference& ground) {
    const int width = mask.lastY - mask.firstY + 1;
    const int height = mask.lastX - mask.firstX + 1;
    Dataset raster(GDALCreate(GDALGetDriverByName("MEM"), "", width, height, 0, GDT_Byte, nullptr));
    if (raster == nullptr) {
        return nullptr;
    }
    char pointer[POINTER_ROOM];
    const int written = CPLPrintPointer(
        pointer, mask.cells.data() + shape.index(mask.firstX, mask.firstY), sizeof pointer - 1);
    pointer[written] = '\0';
    CPLStringList band;
    band.SetNameValue("DATAPOINTER", pointer);
    band.SetNameValue("PIXELOFFSET", "1");
    band.SetNameValue("LINEOFFSET", std::to_string(shape.rows).c_str());
    const double s = shape.spacing;
    const double west = ground.originX - s / 2.0 + s * mask.firstX;
    const double south = ground.originY - s / 2.0 + s * mask.firstY;
    double transform[6] = {west, 0.0, s, south, s, 0.0};
    if (GDALAddBand(raster.get(), GDT_Byte, band.List()) != CE_None ||
        GDALSetGeoTransform(raster.get(), transform) != CE_None) {
        return nullptr;
    }
    return raster;
}

// The mask's areas as one multipolygon (empty when no cell is within); null when GDAL fails.
Geometry traceAreas(Mask& mask, const GridShape& shape, const GroundReference& ground,
                    ValueProgress& progress) {
    Geometry areas(OGR_G_CreateGeometry(wkbMultiPolygon));
    if (mask.count == 0) {
        return areas;
    }
    const Dataset raster = maskRaster(mask, shape, ground);
    const Dataset traced(
        GDALCreate(GDALGetDriverByName("Memory"), "", 0, 0, 0, GDT_Unknown, nullptr));
    if (raster == nullptr || traced == nullptr) {
        return nullptr;
    }
    OGRLayerH layer =
        GDALDatasetCreateLayer(traced.get(), LAYER_NAME, nullptr, wkbPolygon, nullptr);
    GDALRasterBandH band = GDALGetRasterBand(raster.get(), 1);
    // The mask is its own mask band: only the areas within are traced, the rest are their holes.
    if (layer == nullptr ||
        GDALPolygonize(band, band, layer, -1, nullptr, tellProgress, &progress) != CE_None) {
        return nullptr;
    }
    OGR_L_ResetReading(layer);
    for (Feature f(OGR_L_GetNextFeature(layer)); f != nullptr;
         f.reset(OGR_L_GetNextFeature(layer))) {
        OGR_G_AddGeometryDirectly(areas.get(), OGR_F_StealGeometry(f.get()));
    }
    return areas;
}

class IsochroneFileBuilder {
  public:
    IsochroneFileBuilder(IsochroneFormat format, const IsochroneFacts& facts,
                         const ProgressListener& progress)
        : format_(format), facts_(facts), progress_(progress) {}

    std::string build(const std::string& path) {
        const bool hasSystem = !facts_.ground.crsWkt.empty();
        const bool package = format_ == IsochroneFormat::GeoPackage;
        // A GeoPackage layer without a system would be read as longitude/latitude.
        const std::string wkt = hasSystem ? facts_.ground.crsWkt
                                : package ? UNDEFINED_CARTESIAN
                                          : std::string{};
        SpatialReference system(wkt.empty() ? nullptr : OSRNewSpatialReference(nullptr));
        if (system != nullptr && OSRSetFromUserInput(system.get(), wkt.c_str()) != OGRERR_NONE) {
            return std::string("its coordinate system cannot be read: ") + CPLGetLastErrorMsg();
        }
        if (system != nullptr) {
            OSRSetAxisMappingStrategy(system.get(), OAMS_TRADITIONAL_GIS_ORDER);
        }
        // RFC 7946 mode reprojects to longitude/latitude itself and orients the rings as it
        // asks; local metres without a system are written as they are.
        CPLStringList layerOptions;
        if (!package && hasSystem) {
            layerOptions.SetNameValue("RFC7946", "YES");
        }
        return buildDataset(infoOf(format_).driver, path, [&](GDALDatasetH dataset) {
            return fill(dataset, system.get(), layerOptions.List());
        });
    }

  private:
    bool createFields(OGRLayerH layer) const {
        const std::pair<const char*, OGRFieldType> fields[] = {
            {"measure", OFTString}, {"value", OFTReal}, {"unit", OFTString}, {"area_km2", OFTReal}};
        for (const auto& [name, type] : fields) {
            OGRFieldDefnH field = OGR_Fld_Create(name, type);
            const bool created = OGR_L_CreateField(layer, field, TRUE) == OGRERR_NONE;
            OGR_Fld_Destroy(field);
            if (!created) {
                return false;
            }
        }
        return true;
    }

    std::string fill(GDALDatasetH dataset, OGRSpatialReferenceH system, char** options) {
        OGRLayerH layer =
            GDALDatasetCreateLayer(dataset, LAYER_NAME, system, wkbMultiPolygon, options);
        if (layer == nullptr || !createFields(layer)) {
            return lastError();
        }
        const Isochrones& isochrones = facts_.isochrones;
        const double cellArea = facts_.shape.spacing * facts_.shape.spacing;
        ProgressReport report(infoOf(format_).file, facts_.shape.cells(), progress_);
        Mask mask;
        for (std::size_t k = 0; k < isochrones.values.size(); ++k) {
            ValueProgress progress{report, k, isochrones.values.size()};
            markWithin(facts_.costs, facts_.shape, isochrones.limit(k), mask);
            Geometry areas = traceAreas(mask, facts_.shape, facts_.ground, progress);
            if (areas == nullptr) {
                return lastError();
            }
            const Feature feature(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
            OGR_F_SetFieldString(feature.get(), 0, measureName(isochrones.measure));
            OGR_F_SetFieldDouble(feature.get(), 1, isochrones.values[k]);
            OGR_F_SetFieldString(feature.get(), 2, isochrones.unit.c_str());
            OGR_F_SetFieldDouble(feature.get(), 3,
                                 static_cast<double>(mask.count) * cellArea /
                                     SQUARE_METRES_PER_KM2);
            OGR_F_SetGeometryDirectly(feature.get(), areas.release());
            if (OGR_L_CreateFeature(layer, feature.get()) != OGRERR_NONE) {
                return lastError();
            }
        }
        return {};
    }

    IsochroneFormat format_;
    const IsochroneFacts& facts_;
    const ProgressListener& progress_;
};

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALRegister_MEM();
        RegisterOGRMEM();
        RegisterOGRGeoJSON();
        RegisterOGRGeoPackage();
    });
}

} // namespace

std::optional<IsochroneFormat> isochroneFormatNamed(const std::string& name) {
    for (const FormatInfo& info : FORMATS) {
        if (name == info.name) {
            return info.format;
        }
    }
    return std::nullopt;
}

const char* isochroneFileName(IsochroneFormat format) {
    return infoOf(format).file;
}

std::string writeIsochroneFile(int folder, IsochroneFormat format, const IsochroneFacts& facts,
                               const ProgressListener& progress) {
    registerDrivers();
    return writeThroughMemory(folder, infoOf(format).file, MEMORY_FOLDER, infoOf(format).file,
                              [&](const std::string& path) {
                                  return IsochroneFileBuilder(format, facts, progress).build(path);
                              });
}
