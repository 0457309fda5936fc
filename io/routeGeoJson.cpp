// Writing the routes through OGR: each file is built whole in GDAL's memory file system by the
// format's driver (the GeoJSON driver reprojects to longitude/latitude and cuts at the
// antimeridian itself), then its bytes replace the target file. A GeoPackage cannot be created
// over the empty temporary file that replaceFile makes, and the memory copy keeps every format to
// the same path.

#include "io/routeGeoJson.h"

#include "io/ogrFile.h"
#include "planner/groundPosition.h"
#include "planner/routeSummary.h"

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <utility>

namespace {

constexpr int WGS84_EPSG = 4326;
constexpr int NUMBER_ROOM = 32; // the shortest exact form of any double fits
constexpr const char* TIME_TOTAL = "time_s";
constexpr char LAYER_NAME[] = "routes";
constexpr char KML_NAME_FIELD[] = "Name";
// One folder of GDAL's memory file system for the file being built and any side files its
// driver makes there (a GeoPackage's journal).
constexpr char MEMORY_FOLDER[] = "/vsimem/landscapeRoutes";

struct FormatInfo {
    RouteFormat format;
    const char* ending;
    const char* driver;
};

constexpr FormatInfo FORMATS[] = {{RouteFormat::GeoJson, ".geojson", "GeoJSON"},
                                  {RouteFormat::Gpx, ".gpx", "GPX"},
                                  {RouteFormat::Kml, ".kml", "KML"},
                                  {RouteFormat::GeoPackage, ".gpkg", "GPKG"}};

const FormatInfo& infoOf(RouteFormat format) {
    return *std::find_if(std::begin(FORMATS), std::end(FORMATS),
                         [format](const FormatInfo& info) { return info.format == format; });
}

using SpatialReference = OgrSpatialReference;
using Transformation = OgrTransformation;
using Geometry = OgrGeometry;
using Feature = OgrFeature;

// A system read from `wkt` (WGS 84 when empty), x first whatever its axis order; null when it
// cannot be read.
SpatialReference systemOf(const std::string& wkt) {
    SpatialReference srs(OSRNewSpatialReference(nullptr));
    const OGRErr read = wkt.empty() ? OSRImportFromEPSG(srs.get(), WGS84_EPSG)
                                    : OSRSetFromUserInput(srs.get(), wkt.c_str());
    if (read != OGRERR_NONE) {
        return nullptr;
    }
    OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

// A float as the number its shortest decimal form names, so a file prints 0.015 for the float
// nearest 0.015, not that float's whole binary value.
double asWritten(float value) {
    char digits[NUMBER_ROOM];
    const auto end = std::to_chars(digits, digits + NUMBER_ROOM, value).ptr;
    double written = value;
    std::from_chars(digits, end, written);
    return written;
}

// One property of a route: its name, kind and value; null values are written as null.
struct Property {
    enum class Kind { Text, Integer, Boolean, Real, Json } kind;
    const char* name;
    std::string text;
    long long integer = 0;
    double real = 0.0;
    bool null = false;
};

Property real(const char* name, double value, bool null = false) {
    Property p{Property::Kind::Real, name, {}, 0, value, null};
    return p;
}

// A float in its shortest decimal form, as asWritten gives it, or null when `null`.
std::string jsonNumber(float value, bool null) {
    char digits[NUMBER_ROOM];
    return null ? std::string("null")
                : std::string(digits, std::to_chars(digits, digits + NUMBER_ROOM, value).ptr);
}

std::string jsonCell(const Cell& cell) {
    return "[" + std::to_string(cell.x) + ", " + std::to_string(cell.y) + "]";
}

// A trip's legs as a JSON array of {from, to, length_m, energy_j, time_s} (time_s only when
// `timed`), the ends as cells [x, y]; an unreachable leg's totals are null.
std::string legsJson(const std::vector<RouteLeg>& legs, bool timed) {
    std::string json = "[";
    for (const RouteLeg& leg : legs) {
        const bool null = !leg.reachable;
        json +=
            std::string(json.size() > 1 ? ", " : "") + "{\"from\": " + jsonCell(leg.from) +
            ", \"to\": " + jsonCell(leg.to) +
            ", \"length_m\": " + jsonNumber(leg.lengthMetres, null) +
            ", \"energy_j\": " + jsonNumber(leg.energyJoules, null) +
            (timed ? ", \"" + std::string(TIME_TOTAL) + "\": " + jsonNumber(leg.timeSeconds, null)
                   : std::string()) +
            "}";
    }
    return json + "]";
}

// What a trip's route or a destination's adds after the properties every route has: the legs,
// or the destination's number and cell. Nothing for a route of one start and one end.
void tripProperties(const Route& route, bool timed, std::vector<Property>& properties) {
    if (!route.legs.empty()) {
        properties.push_back({Property::Kind::Json, "legs", legsJson(route.legs, timed)});
    }
    if (route.destination > 0) {
        properties.push_back({Property::Kind::Integer, "destination", {}, route.destination});
        properties.push_back({Property::Kind::Json, "destination_cell", jsonCell(route.end)});
    }
}

// The route's properties in the order they are written; returns why one cannot be, empty when
// all can.
std::string routeProperties(const Route& route, const RouteFileFacts& facts,
                            std::vector<Property>& properties) {
    const float miles = distanceInMiles(route.lengthMetres);
    const float gallons = miles * fuelPerMile(facts.speedMph);
    const bool unreached = !route.reachable;
    properties = {
        {Property::Kind::Text, "measure", measureName(route.measure)},
        {Property::Kind::Text, "planner", facts.planner},
        {Property::Kind::Integer, "moves", {}, facts.moves},
        {Property::Kind::Boolean, "reachable", {}, route.reachable ? 1 : 0},
        {Property::Kind::Integer, "cells", {}, static_cast<long long>(route.cells.size())}};
    // An untimed plan's file stays as it was before times were planned.
    const std::pair<const char*, float> totals[] = {{"length_m", route.lengthMetres},
                                                    {"energy_j", route.energyJoules},
                                                    {TIME_TOTAL, route.timeSeconds},
                                                    {"miles", miles},
                                                    {"gallons", gallons}};
    for (const auto& [name, value] : totals) {
        if (!facts.timed && name == TIME_TOTAL) {
            continue;
        }
        if (route.reachable && !std::isfinite(value)) {
            return std::string("its ") + name + " is not a finite number";
        }
        properties.push_back(real(name, asWritten(value), unreached));
    }
    // Options checked them finite.
    const Vehicle& vehicle = facts.vehicle;
    properties.push_back(real("grade_up_pct", vehicle.gradeUpPercent));
    properties.push_back(real("grade_down_pct", vehicle.gradeDownPercent));
    properties.push_back(real("mass_kg", asWritten(vehicle.vehicleMass)));
    properties.push_back(real("descent", asWritten(vehicle.descent)));
    properties.push_back(real("rolling", asWritten(vehicle.rolling)));
    properties.push_back(real("side_slope_pct", vehicle.sideSlopePercent,
                              vehicle.sideSlopePercent == NO_SIDE_SLOPE));
    // What the route leans and climbs at its steepest, null like its totals when unreachable.
    const std::pair<const char*, double> steepest[] = {
        {"side_slope_max_pct", route.sideSlopeMaxPercent},
        {"grade_max_pct", route.gradeMaxPercent}};
    for (const auto& [name, value] : steepest) {
        if (route.reachable && !std::isfinite(value)) {
            return std::string("its ") + name + " is not a finite number";
        }
        properties.push_back(real(name, value, unreached));
    }
    tripProperties(route, facts.timed, properties);
    return {};
}

OGRFieldType fieldType(Property::Kind kind) {
    switch (kind) {
    case Property::Kind::Text:
    case Property::Kind::Json:
        return OFTString;
    case Property::Kind::Integer:
    case Property::Kind::Boolean:
        return OFTInteger;
    case Property::Kind::Real:
        break;
    }
    return OFTReal;
}

bool createFields(OGRLayerH layer, const std::vector<Property>& properties) {
    for (const Property& p : properties) {
        OGRFieldDefnH field = OGR_Fld_Create(p.name, fieldType(p.kind));
        if (p.kind == Property::Kind::Boolean) {
            OGR_Fld_SetSubType(field, OFSTBoolean);
        }
        // GeoJSON writes a JSON string field as the value it holds, not as a string.
        if (p.kind == Property::Kind::Json) {
            OGR_Fld_SetSubType(field, OFSTJSON);
        }
        const bool created = OGR_L_CreateField(layer, field, TRUE) == OGRERR_NONE;
        OGR_Fld_Destroy(field);
        if (!created) {
            return false;
        }
    }
    return true;
}

// By name: a driver may hold fields of its own before ours (KML's name and description).
void setFields(OGRFeatureH feature, const std::vector<Property>& properties) {
    for (const Property& p : properties) {
        const int k = OGR_F_GetFieldIndex(feature, p.name);
        if (p.null) {
            OGR_F_SetFieldNull(feature, k);
        } else if (p.kind == Property::Kind::Text || p.kind == Property::Kind::Json) {
            OGR_F_SetFieldString(feature, k, p.text.c_str());
        } else if (p.kind == Property::Kind::Real) {
            OGR_F_SetFieldDouble(feature, k, p.real);
        } else {
            OGR_F_SetFieldInteger64(feature, k, p.integer);
        }
    }
}

// The cells' centres in working coordinates, with the ground's height at each when `heights`.
void addCells(OGRGeometryH line, const std::vector<Cell>& cells, const RouteFileFacts& facts,
              bool heights) {
    for (const Cell& cell : cells) {
        const GroundPoint p = cellCentre(facts.ground, facts.shape.spacing, cell.x, cell.y);
        if (heights) {
            OGR_G_AddPoint(line, p.x, p.y, (*facts.heights)[facts.shape.index(cell.x, cell.y)]);
        } else {
            OGR_G_AddPoint_2D(line, p.x, p.y);
        }
    }
}

// The route's cells split where its legs meet, each leg's from its start to its end; the whole
// route for one of a single leg.
std::vector<std::vector<Cell>> legCells(const Route& route) {
    if (route.legs.size() < 2) {
        return {route.cells};
    }
    std::vector<std::vector<Cell>> legs;
    std::size_t from = 0;
    for (const RouteLeg& leg : route.legs) {
        // A least route passes its own end only once, so the first meeting after its start is it
        // (its start itself for a leg that goes nowhere).
        const bool stays = leg.from == leg.to;
        std::size_t to = from;
        while (to + 1 < route.cells.size() &&
               !(route.cells[to] == leg.to && (to > from || stays))) {
            ++to;
        }
        legs.emplace_back(route.cells.begin() + static_cast<std::ptrdiff_t>(from),
                          route.cells.begin() + static_cast<std::ptrdiff_t>(to) + 1);
        from = to;
    }
    return legs;
}

// Builds the routes' file at `path` with `driver`, a layer of all their properties, or GPX's
// waypoints and tracks; returns why it could not be, empty when it was.
class RouteFileBuilder {
  public:
    RouteFileBuilder(RouteFormat format, const RouteFileFacts& facts)
        : format_(format), facts_(facts) {}

    std::string build(const std::string& path) {
        const bool hasSystem = !facts_.ground.crsWkt.empty();
        SpatialReference system = hasSystem ? systemOf(facts_.ground.crsWkt) : nullptr;
        if (hasSystem && system == nullptr) {
            return std::string("its coordinate system cannot be read: ") + CPLGetLastErrorMsg();
        }
        if (format_ == RouteFormat::Gpx) {
            // GPX's driver writes positions as given: they are turned into longitude/latitude
            // here.
            SpatialReference wgs84 = systemOf("");
            toLonLat_.reset(OCTNewCoordinateTransformation(system.get(), wgs84.get()));
            if (toLonLat_ == nullptr) {
                return std::string("no transformation to longitude/latitude: ") +
                       CPLGetLastErrorMsg();
            }
        }
        // RFC 7946 mode takes positions without a system for longitude/latitude and would cut
        // local metres at "180": those are written as they are.
        CPLStringList layerOptions;
        if (format_ == RouteFormat::GeoJson && hasSystem) {
            layerOptions.SetNameValue("RFC7946", "YES");
        }
        return buildDataset(infoOf(format_).driver, path, [&](GDALDatasetH dataset) {
            return format_ == RouteFormat::Gpx
                       ? fillGpx(dataset)
                       : fillLayer(dataset, system.get(), layerOptions.List());
        });
    }

  private:
    static std::string lastError() { return ogrLastError(); }

    static std::string routeError(const Route& route, const std::string& error) {
        return std::string("the ") + measureName(route.measure) + " route: " + error;
    }

    std::string fillLayer(GDALDatasetH dataset, OGRSpatialReferenceH system, char** options) {
        const bool heights = format_ == RouteFormat::Kml && facts_.heights != nullptr;
        OGRLayerH layer = GDALDatasetCreateLayer(
            dataset, LAYER_NAME, system, heights ? wkbLineString25D : wkbLineString, options);
        if (layer == nullptr) {
            return lastError();
        }
        std::vector<Property> properties;
        for (size_t k = 0; k < facts_.routes.size(); ++k) {
            const Route& route = facts_.routes[k];
            const std::string error = routeProperties(route, facts_, properties);
            if (!error.empty()) {
                return routeError(route, error);
            }
            if (k == 0 && !createFields(layer, properties)) {
                return lastError();
            }
            const Feature feature(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
            setFields(feature.get(), properties);
            // KML's placemarks are named by their measure, as GPX's tracks are.
            const int name = OGR_F_GetFieldIndex(feature.get(), KML_NAME_FIELD);
            if (format_ == RouteFormat::Kml && name >= 0) {
                OGR_F_SetFieldString(feature.get(), name, measureName(route.measure));
            }
            if (route.reachable) {
                const Geometry line(OGR_G_CreateGeometry(wkbLineString));
                addCells(line.get(), route.cells, facts_, heights);
                if (route.cells.size() == 1) {
                    addCells(line.get(), route.cells, facts_, heights);
                }
                OGR_F_SetGeometry(feature.get(), line.get());
            }
            if (OGR_L_CreateFeature(layer, feature.get()) != OGRERR_NONE) {
                return routeError(route, lastError());
            }
        }
        return {};
    }

    // Turns `geometry` into longitude/latitude; returns why it cannot be, empty when it was.
    std::string turnToLonLat(OGRGeometryH geometry) const {
        if (OGR_G_Transform(geometry, toLonLat_.get()) != OGRERR_NONE) {
            return "no longitude/latitude";
        }
        return {};
    }

    // A feature of `layer` named `name` holding `geometry`, or none; a waypoint of a known height
    // gives it as its elevation too, as GPX's driver writes a waypoint's from its field.
    static bool addNamed(OGRLayerH layer, const char* name, OGRGeometryH geometry,
                         bool elevation = false) {
        const Feature feature(OGR_F_Create(OGR_L_GetLayerDefn(layer)));
        OGR_F_SetFieldString(feature.get(), OGR_F_GetFieldIndex(feature.get(), "name"), name);
        if (elevation) {
            OGR_F_SetFieldDouble(feature.get(), OGR_F_GetFieldIndex(feature.get(), "ele"),
                                 OGR_G_GetZ(geometry, 0));
        }
        if (geometry != nullptr) {
            OGR_F_SetGeometry(feature.get(), geometry);
        }
        return OGR_L_CreateFeature(layer, feature.get()) == OGRERR_NONE;
    }

    // GPX wants its waypoints before its tracks.
    std::string fillGpx(GDALDatasetH dataset) {
        const bool heights = facts_.heights != nullptr;
        OGRLayerH waypoints =
            GDALDatasetCreateLayer(dataset, "waypoints", nullptr, wkbPoint25D, nullptr);
        if (waypoints == nullptr) {
            return lastError();
        }
        std::vector<std::pair<std::string, Cell>> ends = {{"start", facts_.start}};
        // A trip's via points lie between its start and its end, where its legs meet.
        const std::vector<RouteLeg>& legs =
            facts_.routes.empty() ? std::vector<RouteLeg>() : facts_.routes.front().legs;
        for (std::size_t k = 0; k + 1 < legs.size(); ++k) {
            ends.emplace_back("via " + std::to_string(k + 1), legs[k].to);
        }
        ends.emplace_back("end", facts_.end);
        for (const auto& [label, cell] : ends) {
            const char* name = label.c_str();
            // An end no route reaches may lie where there is no ground: it has no height.
            const GroundPoint p = cellCentre(facts_.ground, facts_.shape.spacing, cell.x, cell.y);
            const double height =
                heights ? (*facts_.heights)[facts_.shape.index(cell.x, cell.y)] : NAN;
            const bool known = std::isfinite(height);
            const Geometry point(OGR_G_CreateGeometry(known ? wkbPoint25D : wkbPoint));
            if (known) {
                OGR_G_AddPoint(point.get(), p.x, p.y, height);
            } else {
                OGR_G_AddPoint_2D(point.get(), p.x, p.y);
            }
            const std::string error = turnToLonLat(point.get());
            if (!error.empty()) {
                return std::string("the ") + name + ": " + error;
            }
            if (!addNamed(waypoints, name, point.get(), known)) {
                return lastError();
            }
        }
        OGRLayerH tracks =
            GDALDatasetCreateLayer(dataset, "tracks", nullptr, wkbMultiLineString25D, nullptr);
        if (tracks == nullptr) {
            return lastError();
        }
        for (const Route& route : facts_.routes) {
            Geometry track;
            if (route.reachable) {
                // One segment a leg.
                track.reset(OGR_G_CreateGeometry(wkbMultiLineString));
                for (const std::vector<Cell>& leg : legCells(route)) {
                    const Geometry line(OGR_G_CreateGeometry(wkbLineString));
                    addCells(line.get(), leg, facts_, heights);
                    OGR_G_AddGeometry(track.get(), line.get());
                }
                const std::string error = turnToLonLat(track.get());
                if (!error.empty()) {
                    return routeError(route, error);
                }
            }
            if (!addNamed(tracks, measureName(route.measure), track.get())) {
                return lastError();
            }
        }
        return {};
    }

    RouteFormat format_;
    const RouteFileFacts& facts_;
    Transformation toLonLat_;
};

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterOGRGeoJSON();
        RegisterOGRGPX();
        RegisterOGRKML();
        RegisterOGRGeoPackage();
    });
}

} // namespace

std::optional<RouteFormat> routeFormatOf(const std::string& file) {
    std::string lower = file;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const FormatInfo& info : FORMATS) {
        const std::string ending = info.ending;
        if (lower.size() > ending.size() &&
            lower.compare(lower.size() - ending.size(), ending.size(), ending) == 0) {
            return info.format;
        }
    }
    return std::nullopt;
}

bool needsLonLat(RouteFormat format) {
    return format == RouteFormat::Gpx || format == RouteFormat::Kml;
}

std::string writeRouteFile(int folder, const std::string& name, RouteFormat format,
                           const RouteFileFacts& facts) {
    if (needsLonLat(format) && facts.ground.crsWkt.empty()) {
        return "the ground has no coordinate system, so no longitude/latitude";
    }
    registerDrivers();
    return writeThroughMemory(
        folder, name, MEMORY_FOLDER, std::string(LAYER_NAME) + infoOf(format).ending,
        [&](const std::string& path) { return RouteFileBuilder(format, facts).build(path); });
}

std::string writeRouteGeoJson(int folder, const std::string& name, const std::vector<Route>& routes,
                              const std::string& planner, int moves, const Vehicle& vehicle,
                              float speedMph, const GroundReference& ground, double spacing,
                              bool timed) {
    GridShape shape;
    shape.spacing = spacing;
    const RouteFileFacts facts{routes, planner, moves, vehicle, speedMph, ground,
                               shape,  nullptr, {},    {},      timed};
    return writeRouteFile(folder, name, RouteFormat::GeoJson, facts);
}
