#pragma once
// The route totals as the console reports them: miles and fuel of the least-distance route, the
// energy of the least-energy route, the minutes of the fastest route and the straight line's
// length. The window and the batch
// plan print these same texts.

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
