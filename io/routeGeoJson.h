#pragma once
// The routes as vector files GIS tools and GPS units open: GeoJSON (RFC 7946) beside the cost
// rasters, and GPX, KML or a GeoPackage where the user names one. OGR's drivers write them.

#include "planner/route.h"
#include "terrain/gridShape.h"
#include "terrain/groundReference.h"
#include "terrain/vehicle.h"

#include <optional>
#include <string>
#include <vector>

// The formats the routes are written in, each known by how a file's name ends.
enum class RouteFormat { GeoJson, Gpx, Kml, GeoPackage };

// The endings, as a message lists them.
constexpr char ROUTE_FORMAT_ENDINGS[] = ".geojson, .gpx, .kml, .gpkg";

// The format the name of `file` ends in (in any case), or nothing.
std::optional<RouteFormat> routeFormatOf(const std::string& file);

// GPX and KML hold longitude/latitude only: ground without a coordinate system has none.
bool needsLonLat(RouteFormat format);

// What a route file is written from. `heights` (x-major over `shape`) give GPX and KML their
// elevations; `start` and `end` are the plan's ends, GPX's waypoints.
struct RouteFileFacts {
    const std::vector<Route>& routes;
    std::string planner;
    int moves = 0;
    Vehicle vehicle;
    float speedMph = 0.0f;
    const GroundReference& ground;
    GridShape shape;
    const std::vector<float>* heights = nullptr;
    Cell start{};
    Cell end{};
    bool timed = false;
};

// Writes the routes as `name` in the folder open as `folder` in `format`, whole or not at all.
//
// GeoJSON: a FeatureCollection of one LineString per route with a vertex at each cell's centre
// (a route of one cell repeats it, as a LineString needs two positions) and the properties
// measure, planner, moves (how many headings its moves took), reachable, cells, length_m,
// energy_j, time_s (only when the plan was `timed`), miles and gallons (at `speedMph`), then the
// vehicle planned for (grade_up_pct, grade_down_pct, mass_kg, descent, rolling, side_slope_pct:
// null when it leans any way), and the route's steepest side slope and grade
// (side_slope_max_pct, grade_max_pct); an unreachable route has a null geometry and null totals.
// Positions are longitude/latitude (WGS 84, 7 decimals) when the ground has a coordinate system,
// a route that crosses the antimeridian a MultiLineString cut there; else metres on its local
// grid. A GeoPackage holds the same as its layer `routes`, in the ground's own coordinates. KML
// holds the same as placemarks named by their measure whose positions carry the ground's height.
// GPX holds a track a
// route, named by its measure, of one segment whose points carry the ground's height, after the
// start and end as waypoints.
//
// Returns why the file was not written (a figure that is not finite, a cell without
// longitude/latitude, the system's error), empty when it was.
std::string writeRouteFile(int folder, const std::string& name, RouteFormat format,
                           const RouteFileFacts& facts);

// The GeoJSON file of writeRouteFile, for routes over ground of `spacing` metres.
std::string writeRouteGeoJson(int folder, const std::string& name, const std::vector<Route>& routes,
                              const std::string& planner, int moves, const Vehicle& vehicle,
                              float speedMph, const GroundReference& ground, double spacing,
                              bool timed = false);
