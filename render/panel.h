#pragma once
// What the panel shows beside the scene, as plain data: the legend of the ring shades and of
// the cover's classes, the profile of the drawn route and the report on one cell.

#include "planner/planningGrid.h"
#include "planner/route.h"
#include "planner/routeTables.h"
#include "render/overlays.h"
#include "render/view.h"
#include "terrain/groundCover.h"
#include "terrain/settings.h"

#include <string>
#include <vector>

struct LegendEntry {
    Float3 colour;
    std::string label;
    std::string swatchText = ""; // written over the swatch where its shade alone could mislead
};

// Marks the swatch of costs past the last ring, as white as the first ring's.
constexpr const char* BEYOND_RINGS_SWATCH_TEXT = "+";

// One shade per ring of the view mode ("0 to 1000 m", ...), white for costs past the last ring
// (its swatch marked BEYOND_RINGS_SWATCH_TEXT)
// and red for unreachable ground (any other view mode shades every reached cell white), the time
// view's route in its colour, brown
// for the no-go areas plans heed, then the start and end markers with their cells.
// A ground with cells missing adds their slate. A corridor shown (corridorPercent above 0) adds
// its violet before the red, "within PCT % of the best route".
std::vector<LegendEntry> legendEntries(const PlanSettings& s, ViewMode view, bool barriers,
                                       bool groundMissing = false, double corridorPercent = 0.0);

struct ProfilePoint {
    Cell cell;
    float along;  // metres along the route from the start, over the ground
    float height; // metres
    float cost;   // the cost table's entry: metres or joules
    // Percent: the steepest side slope of the move on from this point (of the move into it at the
    // end), at the points the side-slope test reads; 0 when the profile was made without a grid.
    float sideSlope = 0.0f;
};

struct Profile {
    std::vector<ProfilePoint> points; // start first; empty when the end is unreachable
    int steepestStep = -1;            // k: the step from points[k - 1] to points[k]
    float steepestGrade = 0.0f;       // percent, rise over horizontal run
    // The route's steepest side slope and grade along the moves' lines, percent (routeLean);
    // both 0 when the profile was made without a grid.
    double sideSlopeMax = 0.0;
    double gradeMax = 0.0;
};

// The points of `route` over `terrain`, from the start to the end, with the length along it and
// the cost `costs` (the route's own table) holds at each cell, and with `grid` (the one planned
// on) what the route leans along its moves. Empty when the route has no cells.
Profile routeProfile(const TerrainPositions& terrain, const Route& route, const CostTable& costs,
                     const PlanningGrid* grid = nullptr);

// "Steepest grade: 6.99 %\nSteepest side slope: 28.66 %", along the route's moves; empty for an
// empty profile.
std::string steepestAlongText(const Profile& profile);

// `count` values of `field` at equal steps of distance from the start to the end of the route,
// linearly interpolated; all the first point's value for a route of length 0.
std::vector<float> profileSamples(const Profile& profile, float ProfilePoint::*field, int count);

// What the profile plots span: the length along the route, the lowest and highest height and
// cost; all 0 for an empty profile.
struct ProfileRanges {
    float length = 0.0f;
    float lowHeight = 0.0f, highHeight = 0.0f;
    float lowCost = 0.0f, highCost = 0.0f;
};
ProfileRanges profileRanges(const Profile& profile);

// "NAME LOW to HIGH UNIT", whole numbers: an axis of a plot.
std::string axisRange(const char* name, float low, float high, const char* unit);

// The profile's totals and steepest step, one fact a line; `costUnit` is "m" or "J".
std::string profileReport(const Profile& profile, const char* costUnit);

// Height and both costs of cell (x, y), or that it is unreachable; inside the grid.
std::string cellReport(const TerrainPositions& terrain, const RouteTables& tables, int x, int y);

// Cell (x, y)'s slope (percent, Horn's, from the heights `grid` was planned on with its closed
// cells as no ground) and, when no move of the grid enters it, the first of no ground, a no-go
// area (`closed`, one byte a cell or empty), the cover, the grades and the side slope that closes
// it: "slope 12.3 %" or "slope 31.2 %, closed by the side slope". Inside the grid.
std::string cellGroundReport(const PlanningGrid& grid, const std::vector<uint8_t>& closed,
                             const GroundCover& cover, const Vehicle& vehicle, int x, int y);

// One line a class of `cover` ("forest: 20 km/h, 1234 cells"), in the table's order; none for a
// cover of speeds or none.
std::vector<std::string> coverLegendLines(const GroundCover& cover);

// On tables a timed plan filled, cell (x, y)'s cover class (or the speed its cover names), the
// speed plans take there (km/h, the vehicle's top speed capping it) and its time from the start in
// minutes, one a line; empty for untimed tables. (x, y) inside the grid `grid` was built for.
std::string cellTimeReport(const PlanningGrid& grid, const GroundCover& cover,
                           const RouteTables& tables, int x, int y);

// A trip's leg lines ("Leg 1 of 2, (10, 360) to (120, 200): ..."), one a leg in order, from the
// joined `trip` (distance, energy, then time when planned); none without legs.
std::vector<std::string> tripLegTexts(const std::vector<Route>& trip);

enum class ViaEdit { Remove, Up, Down };

// `via` with its point k removed, or moved one place earlier (Up) or later (Down); as it was when
// the point has no place to move to or k is not one of its points.
std::vector<Cell> editedVia(std::vector<Cell> via, std::size_t k, ViaEdit edit);
