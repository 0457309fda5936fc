// Writing the routes as GeoJSON: cell centres transformed to longitude/latitude when the ground
// has a system, lines cut at the antimeridian, and the whole text built before it replaces the
// file.

#include "io/routeGeoJson.h"

#include "io/fileReplace.h"
#include "planner/groundPosition.h"
#include "planner/routeSummary.h"

#include <cpl_error.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <utility>

namespace {

constexpr int WGS84_EPSG = 4326;
constexpr double ANTIMERIDIAN = 180.0; // degrees east or west
constexpr int NUMBER_ROOM = 32;        // the shortest exact form of any double fits
constexpr const char* TIME_TOTAL = "time_s";

template <typename Number> void appendNumber(std::string& text, Number value) {
    char digits[NUMBER_ROOM];
    text.append(digits, std::to_chars(digits, digits + NUMBER_ROOM, value).ptr);
}

struct SpatialReferenceDeleter {
    void operator()(OGRSpatialReferenceH srs) const { OSRDestroySpatialReference(srs); }
};
using SpatialReference = std::unique_ptr<void, SpatialReferenceDeleter>;

struct TransformationDeleter {
    void operator()(OGRCoordinateTransformationH ct) const {
        OCTDestroyCoordinateTransformation(ct);
    }
};
using Transformation = std::unique_ptr<void, TransformationDeleter>;

// Working coordinates to longitude/latitude, x first whatever the systems' axis order.
Transformation toLonLat(const std::string& crsWkt) {
    SpatialReference source(OSRNewSpatialReference(nullptr));
    SpatialReference target(OSRNewSpatialReference(nullptr));
    if (OSRSetFromUserInput(source.get(), crsWkt.c_str()) != OGRERR_NONE ||
        OSRImportFromEPSG(target.get(), WGS84_EPSG) != OGRERR_NONE) {
        return nullptr;
    }
    OSRSetAxisMappingStrategy(source.get(), OAMS_TRADITIONAL_GIS_ORDER);
    OSRSetAxisMappingStrategy(target.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return Transformation(OCTNewCoordinateTransformation(source.get(), target.get()));
}

using Line = std::vector<std::pair<double, double>>;

// Vertex positions of the route into xs and ys; returns why one cannot be had, empty when all
// can.
std::string positions(const Route& route, const GroundReference& ground, double spacing,
                      std::vector<double>& xs, std::vector<double>& ys) {
    for (const Cell& cell : route.cells) {
        const GroundPoint p = cellCentre(ground, spacing, cell.x, cell.y);
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    if (route.cells.size() == 1) {
        xs.push_back(xs.front());
        ys.push_back(ys.front());
    }
    if (ground.crsWkt.empty()) {
        return {};
    }
    Transformation transformation = toLonLat(ground.crsWkt);
    if (transformation == nullptr) {
        return std::string("no transformation to longitude/latitude: ") + CPLGetLastErrorMsg();
    }
    std::vector<int> transformed(xs.size());
    OCTTransformEx(transformation.get(), static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr,
                   transformed.data());
    for (size_t k = 0; k < xs.size(); ++k) {
        if (transformed[k] == 0 || !std::isfinite(xs[k]) || !std::isfinite(ys[k])) {
            const Cell& cell = route.cells[std::min(k, route.cells.size() - 1)];
            return "cell (" + std::to_string(cell.x) + ", " + std::to_string(cell.y) +
                   ") has no longitude/latitude";
        }
        xs[k] = std::clamp(xs[k], -ANTIMERIDIAN, ANTIMERIDIAN);
    }
    return {};
}

// The route as lines cut where it crosses the antimeridian, each ending or starting on it at
// the latitude where the step between two vertices crosses it.
std::vector<Line> cutAtAntimeridian(const std::vector<double>& xs, const std::vector<double>& ys,
                                    bool lonLat) {
    std::vector<Line> lines{{{xs[0], ys[0]}}};
    for (size_t k = 1; k < xs.size(); ++k) {
        const double step = xs[k] - xs[k - 1];
        if (lonLat && std::fabs(step) > ANTIMERIDIAN) {
            const double edge = step < 0.0 ? ANTIMERIDIAN : -ANTIMERIDIAN;
            const double unwrapped = xs[k] + 2.0 * edge;
            const double t = (edge - xs[k - 1]) / (unwrapped - xs[k - 1]);
            const double latitude = ys[k - 1] + t * (ys[k] - ys[k - 1]);
            lines.back().emplace_back(edge, latitude);
            lines.push_back({{-edge, latitude}});
        }
        lines.back().emplace_back(xs[k], ys[k]);
    }
    return lines;
}

void appendLine(std::string& text, const Line& line) {
    text += '[';
    for (size_t k = 0; k < line.size(); ++k) {
        text += k == 0 ? "[" : ",[";
        appendNumber(text, line[k].first);
        text += ',';
        appendNumber(text, line[k].second);
        text += ']';
    }
    text += ']';
}

std::string appendGeometry(std::string& text, const Route& route, const GroundReference& ground,
                           double spacing) {
    if (!route.reachable) {
        text += "null";
        return {};
    }
    std::vector<double> xs;
    std::vector<double> ys;
    const std::string error = positions(route, ground, spacing, xs, ys);
    if (!error.empty()) {
        return error;
    }
    const std::vector<Line> lines = cutAtAntimeridian(xs, ys, !ground.crsWkt.empty());
    if (lines.size() == 1) {
        text += "{\"type\":\"LineString\",\"coordinates\":";
        appendLine(text, lines.front());
        text += '}';
        return {};
    }
    text += "{\"type\":\"MultiLineString\",\"coordinates\":[";
    for (size_t k = 0; k < lines.size(); ++k) {
        text += k == 0 ? "" : ",";
        appendLine(text, lines[k]);
    }
    text += "]}";
    return {};
}

std::string appendTotal(std::string& text, const char* name, bool reachable, float value) {
    text += ",\"";
    text += name;
    text += "\":";
    if (!reachable) {
        text += "null";
        return {};
    }
    if (!std::isfinite(value)) {
        return std::string("its ") + name + " is not a finite number";
    }
    appendNumber(text, value);
    return {};
}

std::string appendProperties(std::string& text, const Route& route, const std::string& planner,
                             int moves, const Vehicle& vehicle, float speedMph, bool timed) {
    const float miles = distanceInMiles(route.lengthMetres);
    const float gallons = miles * fuelPerMile(speedMph);
    text += std::string("{\"measure\":\"") + measureName(route.measure) + "\",\"planner\":\"" +
            planner + "\",\"moves\":" + std::to_string(moves) + ",\"reachable\":";
    text += route.reachable ? "true" : "false";
    text += ",\"cells\":";
    appendNumber(text, route.cells.size());
    // An untimed plan's file stays as it was before times were planned.
    const std::pair<const char*, float> totals[] = {{"length_m", route.lengthMetres},
                                                    {"energy_j", route.energyJoules},
                                                    {TIME_TOTAL, route.timeSeconds},
                                                    {"miles", miles},
                                                    {"gallons", gallons}};
    for (const auto& [name, value] : totals) {
        if (!timed && name == TIME_TOTAL) {
            continue;
        }
        const std::string error = appendTotal(text, name, route.reachable, value);
        if (!error.empty()) {
            return error;
        }
    }
    // Options checked them finite; floats print as floats, so 0.015 stays 0.015.
    const std::pair<const char*, double> grades[] = {{"grade_up_pct", vehicle.gradeUpPercent},
                                                     {"grade_down_pct", vehicle.gradeDownPercent}};
    const std::pair<const char*, float> rest[] = {{"mass_kg", vehicle.vehicleMass},
                                                  {"descent", vehicle.descent},
                                                  {"rolling", vehicle.rolling}};
    for (const auto& [name, value] : grades) {
        text += std::string(",\"") + name + "\":";
        appendNumber(text, value);
    }
    for (const auto& [name, value] : rest) {
        text += std::string(",\"") + name + "\":";
        appendNumber(text, value);
    }
    text += ",\"side_slope_pct\":";
    if (vehicle.sideSlopePercent == NO_SIDE_SLOPE) {
        text += "null";
    } else {
        appendNumber(text, vehicle.sideSlopePercent);
    }
    // What the route leans and climbs at its steepest, null like its totals when unreachable.
    const std::pair<const char*, double> steepest[] = {
        {"side_slope_max_pct", route.sideSlopeMaxPercent},
        {"grade_max_pct", route.gradeMaxPercent}};
    for (const auto& [name, value] : steepest) {
        text += std::string(",\"") + name + "\":";
        if (!route.reachable) {
            text += "null";
        } else if (!std::isfinite(value)) {
            return std::string("its ") + name + " is not a finite number";
        } else {
            appendNumber(text, value);
        }
    }
    text += '}';
    return {};
}

// The FeatureCollection text; returns why it cannot be made, empty when it was.
std::string routeGeoJson(const std::vector<Route>& routes, const std::string& planner, int moves,
                         const Vehicle& vehicle, float speedMph, const GroundReference& ground,
                         double spacing, bool timed, std::string& text) {
    text = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (size_t k = 0; k < routes.size(); ++k) {
        text += k == 0 ? "\n" : ",\n";
        text += "{\"type\":\"Feature\",\"properties\":";
        std::string error =
            appendProperties(text, routes[k], planner, moves, vehicle, speedMph, timed);
        text += ",\"geometry\":";
        if (error.empty()) {
            error = appendGeometry(text, routes[k], ground, spacing);
        }
        if (!error.empty()) {
            return std::string("the ") + measureName(routes[k].measure) + " route: " + error;
        }
        text += '}';
    }
    text += "\n]}\n";
    return {};
}

} // namespace

std::string writeRouteGeoJson(int folder, const std::string& name, const std::vector<Route>& routes,
                              const std::string& planner, int moves, const Vehicle& vehicle,
                              float speedMph, const GroundReference& ground, double spacing,
                              bool timed) {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    std::string text;
    const std::string error =
        routeGeoJson(routes, planner, moves, vehicle, speedMph, ground, spacing, timed, text);
    CPLPopErrorHandler();
    if (!error.empty()) {
        return error;
    }
    return replaceFile(folder, name, [&](std::FILE* file) {
        return std::fwrite(text.data(), 1, text.size(), file) == text.size();
    });
}
