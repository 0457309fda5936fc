#pragma once
// The routes as GeoJSON (RFC 7946) LineStrings that GIS tools open beside the cost rasters.

#include "planner/route.h"
#include "terrain/groundReference.h"
#include "terrain/vehicle.h"

#include <string>
#include <vector>

// Writes the routes as `name` in the folder open as `folder`, a FeatureCollection, whole or not
// at all: one LineString per route with a vertex at each cell's centre (`spacing` metres apart) (a
// route of one cell repeats it, as a LineString needs two positions) and the properties measure,
// planner, moves (how many headings its moves took), reachable, cells, length_m, energy_j,
// time_s (only when the plan was `timed`), miles and gallons (at `speedMph`), then the vehicle
// planned for (grade_up_pct, grade_down_pct, mass_kg, descent, rolling, side_slope_pct: null when
// it leans any way), and the route's steepest side slope and grade (side_slope_max_pct,
// grade_max_pct); an unreachable route has a null geometry and null totals. Positions are
// longitude/latitude (WGS 84) when `ground` has a coordinate system, else metres on its local grid;
// a route that crosses the antimeridian is a MultiLineString cut there (RFC 7946, 3.1.9). Returns
// why the file was not written (a figure that is not finite, a cell without longitude/latitude, the
// system's error), empty when it was.
std::string writeRouteGeoJson(int folder, const std::string& name, const std::vector<Route>& routes,
                              const std::string& planner, int moves, const Vehicle& vehicle,
                              float speedMph, const GroundReference& ground, double spacing,
                              bool timed = false);
