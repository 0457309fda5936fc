// Reading a trip's points: the file opened under the guards of every user's vector file, the
// layer to read chosen by format, and each geometry or table row turned into points in order.

#include "io/pointFile.h"

#include "io/groundSource.h"
#include "io/lonLat.h"
#include "io/plainLayers.h"
#include "io/printableText.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

namespace {

// A GPX's layers of points, in the order they are preferred: a route is what the user planned,
// a track what was driven, waypoints what was marked.
constexpr const char* GPX_POINT_LAYERS[] = {"route_points", "track_points", "waypoints"};
constexpr char GPX_DRIVER[] = "GPX";
constexpr char CSV_DRIVER[] = "CSV";
// Column pairs of a table, the first found is read: longitude/latitude on WGS 84, else
// coordinates in the system --from is given in.
struct Columns {
    const char* x;
    const char* y;
    const char* system; // empty: the points' system is the one --from is given in
};
constexpr Columns TABLE_COLUMNS[] = {{"lon", "lat", LON_LAT_SYSTEM}, {"x", "y", ""}};
// The header is line 1 of a table; its first row line 2.
constexpr std::size_t FIRST_ROW_LINE = 2;

struct FeatureDeleter {
    void operator()(OGRFeatureH feature) const { OGR_F_Destroy(feature); }
};
using Feature = std::unique_ptr<std::remove_pointer_t<OGRFeatureH>, FeatureDeleter>;

std::string fileError(const std::string& path, const std::string& what) {
    return sourceFileError(POINTS_OPTION, path, what);
}

std::string tooMany(const std::string& path) {
    return fileError(path, "holds more than " + std::to_string(MOST_FILE_POINTS) +
                               " points, more than a trip takes");
}

bool isDriver(GDALDatasetH file, const char* name) {
    GDALDriverH driver = GDALGetDatasetDriver(file);
    return driver != nullptr && std::strcmp(GDALGetDriverShortName(driver), name) == 0;
}

std::string systemOf(OGRLayerH layer) {
    const OGRSpatialReferenceH srs = OGR_L_GetSpatialRef(layer);
    char* wkt = nullptr;
    if (srs == nullptr || OSRExportToWkt(srs, &wkt) != OGRERR_NONE) {
        CPLFree(wkt);
        return {};
    }
    std::string text = wkt != nullptr ? wkt : "";
    CPLFree(wkt);
    return text;
}

void addPoint(FilePoints& points, double x, double y) {
    points.xs.push_back(x);
    points.ys.push_back(y);
    points.names.push_back("point " + std::to_string(points.xs.size()));
}

// The points of `layer`'s geometries in order: each point of a point or multipoint, or the
// vertices of the one line string the layer may hold instead.
std::string readGeometries(OGRLayerH layer, const std::string& path, FilePoints& points) {
    std::size_t features = 0;
    std::size_t lines = 0;
    std::size_t others = 0;
    OGR_L_ResetReading(layer);
    while (Feature feature{OGR_L_GetNextFeature(layer)}) {
        if (++features > MOST_FILE_POINTS) {
            return tooMany(path);
        }
        OGRGeometryH geometry = OGR_F_GetGeometryRef(feature.get());
        if (geometry == nullptr || OGR_G_IsEmpty(geometry)) {
            continue;
        }
        const OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(geometry));
        if (type == wkbPoint) {
            addPoint(points, OGR_G_GetX(geometry, 0), OGR_G_GetY(geometry, 0));
            ++others;
        } else if (type == wkbMultiPoint) {
            for (int k = 0; k < OGR_G_GetGeometryCount(geometry); ++k) {
                OGRGeometryH point = OGR_G_GetGeometryRef(geometry, k);
                addPoint(points, OGR_G_GetX(point, 0), OGR_G_GetY(point, 0));
            }
            ++others;
        } else if (type == wkbLineString) {
            for (int k = 0; k < OGR_G_GetPointCount(geometry); ++k) {
                addPoint(points, OGR_G_GetX(geometry, k), OGR_G_GetY(geometry, k));
            }
            ++lines;
        } else {
            return fileError(path, "has a " + std::string(OGRGeometryTypeToName(type)) +
                                       " in feature " + std::to_string(features) +
                                       "; only points or one line string are read");
        }
        if (lines > 1 || (lines == 1 && others > 0)) {
            return fileError(path, "holds more than one line string, or a line string with "
                                   "points; only points or one line string are read");
        }
        if (points.xs.size() > MOST_FILE_POINTS) {
            return tooMany(path);
        }
    }
    return {};
}

bool parseCoordinate(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return *text != '\0' && end != text && *end == '\0' && errno == 0 && std::isfinite(value);
}

// A table's rows, each the point of its lon,lat or x,y columns.
std::string readTable(OGRLayerH layer, const std::string& path, FilePoints& points) {
    OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
    const Columns* chosen = nullptr;
    for (const Columns& columns : TABLE_COLUMNS) {
        if (chosen == nullptr && OGR_FD_GetFieldIndex(definition, columns.x) >= 0 &&
            OGR_FD_GetFieldIndex(definition, columns.y) >= 0) {
            chosen = &columns;
        }
    }
    if (chosen == nullptr) {
        return fileError(path, "has neither lon,lat nor x,y columns");
    }
    const int xField = OGR_FD_GetFieldIndex(definition, chosen->x);
    const int yField = OGR_FD_GetFieldIndex(definition, chosen->y);
    points.system = chosen->system;
    std::size_t line = FIRST_ROW_LINE - 1;
    OGR_L_ResetReading(layer);
    while (Feature row{OGR_L_GetNextFeature(layer)}) {
        if (++line - FIRST_ROW_LINE >= MOST_FILE_POINTS) {
            return tooMany(path);
        }
        double xy[2] = {0.0, 0.0};
        const std::pair<int, const char*> fields[] = {{xField, chosen->x}, {yField, chosen->y}};
        for (int k = 0; k < 2; ++k) {
            const char* text = OGR_F_GetFieldAsString(row.get(), fields[k].first);
            if (!parseCoordinate(text, xy[k])) {
                return fileError(path, "line " + std::to_string(line) + ": " + fields[k].second +
                                           " '" + printableExcerpt(text) + "' is not a number");
            }
        }
        points.xs.push_back(xy[0]);
        points.ys.push_back(xy[1]);
        points.names.push_back("line " + std::to_string(line));
    }
    return {};
}

bool hasFeature(OGRLayerH layer) {
    OGR_L_ResetReading(layer);
    return Feature{OGR_L_GetNextFeature(layer)} != nullptr;
}

// The layer whose points are the trip's: a GPX's by preference, a table's only one, else the
// first with geometries and features (a GeoPackage may hold tables of attributes alone too).
OGRLayerH pointLayer(GDALDatasetH file, const std::vector<OGRLayerH>& layers) {
    if (isDriver(file, GPX_DRIVER)) {
        for (const char* name : GPX_POINT_LAYERS) {
            OGRLayerH layer = GDALDatasetGetLayerByName(file, name);
            if (layer != nullptr && hasFeature(layer)) {
                return layer;
            }
        }
        return nullptr;
    }
    const bool table = isDriver(file, CSV_DRIVER);
    for (OGRLayerH layer : layers) {
        const bool geometries = OGR_FD_GetGeomFieldCount(OGR_L_GetLayerDefn(layer)) > 0;
        if ((table || geometries) && hasFeature(layer)) {
            return layer;
        }
    }
    return nullptr;
}

std::string readChecked(const std::string& path, FilePoints& points) {
    CPLErrorReset();
    const Dataset file(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!file) {
        return openFailure(POINTS_OPTION, path, "a file of points");
    }
    std::vector<OGRLayerH> layers;
    std::string error = plainLayers(file.get(), POINTS_OPTION, path, layers);
    if (!error.empty()) {
        return error;
    }
    OGRLayerH layer = pointLayer(file.get(), layers);
    if (layer != nullptr && isDriver(file.get(), CSV_DRIVER)) {
        error = readTable(layer, path, points);
    } else if (layer != nullptr) {
        points.system = systemOf(layer);
        error = readGeometries(layer, path, points);
    }
    if (!error.empty()) {
        return error;
    }
    if (points.xs.empty()) {
        return fileError(path, "holds no points");
    }
    if (points.xs.size() == 1) {
        return fileError(path, "holds one point (" + points.names.front() +
                                   "); a start and an end are needed");
    }
    return {};
}

} // namespace

std::string readPointFile(const std::string& path, FilePoints& points) {
    points = FilePoints{};
    const std::string error =
        loadGuarded(POINTS_OPTION, path, [&] { return readChecked(path, points); });
    if (!error.empty()) {
        points = FilePoints{};
    }
    return error;
}
