#pragma once
// The three overlays of the scene as plain data: which cells the least-distance route, the
// least-energy route and the straight line mark, the small quadrilateral that marks a cell, and
// the console report that goes with each overlay.

#include "planner/routeTables.h"
#include "render/mesh.h"

#include <cstdio>
#include <string>
#include <vector>

constexpr size_t REPORT_CAPACITY = 512; // %f of the largest float needs under 60 chars

// printf-style text for the reports; one line of a report fits REPORT_CAPACITY.
template <typename... Values> std::string formatText(const char* pattern, Values... values) {
    char text[REPORT_CAPACITY];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

struct Cell {
    int x;
    int y;
};

inline bool operator==(const Cell& a, const Cell& b) {
    return a.x == b.x && a.y == b.y;
}

// Cells of the route read back from `previous`, from the end toward the start (the start
// excluded), only those that are drawn (isDrawnCell). A broken chain stops where it leaves the
// grid or loops.
std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                             int endY);

// Drawn cells of the straight line between two cells, x ascending: y = first.y + (x - first.x)
// * slope in float, truncated, with `first` the cell of lower x. A vertical line gives its
// column from the lower to the higher y.
std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY);

constexpr float OVERLAY_INSET = 0.02f; // scene units, added toward the cell's far side
constexpr float OVERLAY_LIFT = -0.01f; // scene z; negative z faces the viewer

constexpr Float3 distanceRouteColour = {0.0f, 0.0f, 1.0f};
constexpr Float3 energyRouteColour = {0.0f, 1.0f, 0.0f};
constexpr Float3 straightLineColour = {0.0f, 1.0f, 1.0f};

// Overlay quadrilateral of cell (x, y): the mesh corners, each x and y moved by OVERLAY_INSET
// (+ for the near grid line, - for the far one) and lifted by OVERLAY_LIFT. hasQuad(x, y).
Quad overlayQuad(int x, int y);

constexpr double METRES_PER_MILE = 1609.344;

constexpr const char* UNREACHABLE_DISTANCE_TEXT = "\tUNREACHABLE DISTANCE PATH\n";
constexpr const char* UNREACHABLE_ENERGY_TEXT = "\tUNREACHABLE ENERGY PATH\n";

// Metres to miles, divided in double and rounded to float.
float distanceInMiles(float metres);

// Gallons per mile at `speedMph` miles per hour: 0.075283 - 0.0015892 v + 0.000015066 v^2 in
// double, rounded to float.
float fuelPerMile(float speedMph);

// Length of the straight line between two cells in metres: the float root of the integer sum of
// squared index differences, times the grid's spacing (metres) as a float.
float straightLineMetres(int startX, int startY, int endX, int endY, double spacing);

// "DISTANCE DATA" report for a route of `metres` driven at `speedMph`.
std::string distanceSummary(float metres, float speedMph);

// "ENERGY DATA" report for a route costing `joules`.
std::string energySummary(float joules);

// "Total Direct Path" line for a straight line of `metres`.
std::string straightLineSummary(float metres);

struct Overlay {
    std::vector<Cell> cells; // cells to mark, in drawing order; all are drawn cells
    Float3 colour;
    std::string report; // console text that goes with drawing it
};

// Least-distance route from the end cell back to the start, or no cells and the unreachable
// message when the end cell has no distance. Reads the settings and the route tables.
Overlay distanceRouteOverlay();

// Least-energy route, likewise.
Overlay energyRouteOverlay();

// Straight line between the start and end cells with its length report.
Overlay straightLineOverlay();
