#include "io/routeGeoJson.h"

#include "io/fileReplace.h"
#include "io/lonLat.h"
#include "planner/groundPosition.h"

#include <cpl_error.h>

#include <charconv>

namespace {

constexpr int NUMBER_ROOM = 32; // the shortest exact form of any double fits

template <typename Number> void appendNumber(std::string& text, Number value) {
    char digits[NUMBER_ROOM];
    text.append(digits, std::to_chars(digits, digits + NUMBER_ROOM, value).ptr);
}

// Vertex positions of the route into xs and ys; false when one cannot be transformed.
bool positions(const RouteFeature& route, const GroundReference& ground, std::vector<double>& xs,
               std::vector<double>& ys) {
    for (const GridPoint& cell : route.cells) {
        const GroundPoint p = cellCentre(ground, cell.x, cell.y);
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    if (route.cells.size() == 1) {
        xs.push_back(xs.front());
        ys.push_back(ys.front());
    }
    if (ground.crsWkt.empty()) {
        return true;
    }
    return LonLatTransform(ground.crsWkt).apply(xs, ys);
}

bool appendGeometry(std::string& text, const RouteFeature& route, const GroundReference& ground) {
    if (!route.reachable) {
        text += "null";
        return true;
    }
    std::vector<double> xs;
    std::vector<double> ys;
    if (!positions(route, ground, xs, ys)) {
        return false;
    }
    text += "{\"type\":\"LineString\",\"coordinates\":[";
    for (size_t k = 0; k < xs.size(); ++k) {
        text += k == 0 ? "[" : ",[";
        appendNumber(text, xs[k]);
        text += ',';
        appendNumber(text, ys[k]);
        text += ']';
    }
    text += "]}";
    return true;
}

void appendTotal(std::string& text, const char* name, bool reachable, float value) {
    text += ",\"";
    text += name;
    text += "\":";
    if (!reachable) {
        text += "null";
        return;
    }
    appendNumber(text, value);
}

void appendProperties(std::string& text, const RouteFeature& route, const std::string& planner) {
    text += "{\"measure\":\"" + route.measure + "\",\"planner\":\"" + planner + "\",\"reachable\":";
    text += route.reachable ? "true" : "false";
    text += ",\"cells\":";
    appendNumber(text, route.cells.size());
    appendTotal(text, "length_m", route.reachable, route.lengthMetres);
    appendTotal(text, "energy_j", route.reachable, route.energyJoules);
    appendTotal(text, "miles", route.reachable, route.miles);
    appendTotal(text, "gallons", route.reachable, route.gallons);
    text += '}';
}

// The FeatureCollection text; false when a position cannot be transformed.
bool routeGeoJson(const std::vector<RouteFeature>& routes, const std::string& planner,
                  const GroundReference& ground, std::string& text) {
    text = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (size_t k = 0; k < routes.size(); ++k) {
        text += k == 0 ? "\n" : ",\n";
        text += "{\"type\":\"Feature\",\"properties\":";
        appendProperties(text, routes[k], planner);
        text += ",\"geometry\":";
        if (!appendGeometry(text, routes[k], ground)) {
            return false;
        }
        text += '}';
    }
    text += "\n]}\n";
    return true;
}

} // namespace

bool writeRouteGeoJson(const std::string& path, const std::vector<RouteFeature>& routes,
                       const std::string& planner, const GroundReference& ground) {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    std::string text;
    const bool made = routeGeoJson(routes, planner, ground, text);
    CPLPopErrorHandler();
    return made && replaceFile(path, [&](std::FILE* file) {
               return std::fwrite(text.data(), 1, text.size(), file) == text.size();
           });
}
