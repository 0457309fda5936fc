#pragma once
// The route totals as the console reports them: miles and fuel of the least-distance route, the
// energy of the least-energy route, the minutes of the fastest route and the straight line's
// length. The window and the batch
// plan print these same texts.

#include "planner/route.h"
#include "planner/routeTables.h"

#include <cstdio>
#include <string>

constexpr size_t REPORT_CAPACITY = 512; // %f of the largest float needs under 60 chars

// printf-style text for the reports; one line of a report fits REPORT_CAPACITY.
template <typename... Values> std::string formatText(const char* pattern, Values... values) {
    char text[REPORT_CAPACITY];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

constexpr double METRES_PER_MILE = 1609.344;
constexpr const char* UNREACHABLE_DISTANCE_TEXT = "\tUNREACHABLE DISTANCE PATH\n";
constexpr const char* UNREACHABLE_ENERGY_TEXT = "\tUNREACHABLE ENERGY PATH\n";
constexpr const char* UNREACHABLE_TIME_TEXT = "\tUNREACHABLE TIME PATH\n";
constexpr double SECONDS_PER_MINUTE = 60.0;

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

// "TIME DATA" report for a route taking `seconds`, in minutes.
std::string timeSummary(float seconds);

// "Total Direct Path" line for a straight line of `metres`.
std::string straightLineSummary(float metres);

// What the console prints of a plan in `tables` from the start to the end of `ends`: the
// least-distance route's summary at `speedMph` (or UNREACHABLE_DISTANCE_TEXT), the least-energy
// route's (or UNREACHABLE_ENERGY_TEXT), and the straight line's on a grid of `spacing` metres.
std::string distanceReport(const RouteTables& tables, const RouteEnds& ends, float speedMph);
std::string energyReport(const RouteTables& tables, const RouteEnds& ends);
// The fastest route's summary (or UNREACHABLE_TIME_TEXT, also for tables an untimed plan left).
std::string timeReport(const RouteTables& tables, const RouteEnds& ends);
std::string straightLineReport(const RouteEnds& ends, double spacing);

// "Total Direct Path" line of the straight line through `points` in turn, the sum of its
// pieces' lengths on a grid of `spacing` metres.
std::string tripStraightLineReport(const std::vector<Cell>& points, double spacing);

// The summary of `route` in its own measure as the blocks above print it, or its unreachable
// text: a trip's totals, or one destination's.
std::string routeReport(const Route& route, float speedMph);

// "3.204518 miles, 912345.250000 joules", with ", 12.345678 minutes" after it when `time` is
// given: the least distance, energy and time of one leg or destination; "unreachable" when the
// least-distance route is not.
std::string leastTotalsText(const RouteLeg& distance, const RouteLeg& energy, const RouteLeg* time);

// One line a leg of a trip's joined `routes` (distance, energy, then time when planned):
// "Leg 2 of 3, (120, 200) to (300, 41): " and the leg's least totals.
std::string legLines(const std::vector<Route>& routes);

// One line a destination of `ends` in order, read from the plan in `tables` (with its time when
// the plan was timed): "To (300, 41): " and its least totals.
std::string destinationLines(const RouteTables& tables, const std::vector<Cell>& ends);
