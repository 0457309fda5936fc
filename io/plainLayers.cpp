// Plain layers only: a view is a query run on every read, which may be endless (a recursive view)
// or build gigabytes, and an OGR VRT's layers are queries of other files (SQL, views, further
// VRTs), so neither is read.

#include "io/plainLayers.h"

#include "io/groundSource.h"
#include "io/printableText.h"

#include <ogr_api.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// Drivers whose layers may be SQL views, and how to list those.
constexpr const char* SQL_DRIVERS[] = {"GPKG", "SQLite"};
constexpr char VIEW_NAMES[] = "SELECT name FROM sqlite_master WHERE type = 'view'";
constexpr char VECTOR_VRT_DRIVER[] = "OGR_VRT";

const char* driverName(GDALDatasetH file) {
    GDALDriverH driver = GDALGetDatasetDriver(file);
    return driver != nullptr ? GDALGetDriverShortName(driver) : "";
}

// The names of the SQL views in `file`, none for a format without them.
std::set<std::string> viewNames(GDALDatasetH file) {
    std::set<std::string> views;
    const char* name = driverName(file);
    if (std::none_of(std::begin(SQL_DRIVERS), std::end(SQL_DRIVERS),
                     [&](const char* sql) { return std::strcmp(name, sql) == 0; })) {
        return views;
    }
    OGRLayerH found = GDALDatasetExecuteSQL(file, VIEW_NAMES, nullptr, nullptr);
    if (found == nullptr) {
        return views;
    }
    while (OGRFeatureH row = OGR_L_GetNextFeature(found)) {
        views.insert(OGR_F_GetFieldAsString(row, 0));
        OGR_F_Destroy(row);
    }
    GDALDatasetReleaseResultSet(file, found);
    return views;
}

} // namespace

std::string plainLayers(GDALDatasetH file, const char* option, const std::string& path,
                        std::vector<OGRLayerH>& layers) {
    layers.clear();
    if (std::strcmp(driverName(file), VECTOR_VRT_DRIVER) == 0) {
        return sourceFileError(option, path,
                               "is an OGR VRT, whose layers are queries of other files; only "
                               "plain layers are read");
    }
    const std::set<std::string> views = viewNames(file);
    for (int k = 0; k < GDALDatasetGetLayerCount(file); ++k) {
        OGRLayerH layer = GDALDatasetGetLayer(file, k);
        if (views.count(OGR_L_GetName(layer)) != 0) {
            layers.clear();
            return sourceFileError(option, path,
                                   "has a layer '" + printableExcerpt(OGR_L_GetName(layer)) +
                                       "' that is an SQL view; only tables are read");
        }
        layers.push_back(layer);
    }
    return {};
}

std::string loadGuarded(const char* option, const std::string& path,
                        const std::function<std::string()>& load) {
    const QuietGdal quiet;
    GDALAllRegister();
    refuseNonFileSources();
    takeRefusedSource();
    std::string error = checkSourceName(option, path);
    if (error.empty()) {
        error = load();
    }
    const std::string refused = takeRefusedSource();
    if (!refused.empty()) {
        error = sourceFileError(option, path, "cannot be loaded: " + refused);
    }
    return error;
}
