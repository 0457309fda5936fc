#pragma once
// The console reports printed with each overlay: the numbers and their exact texts.

#include <string>

constexpr double METRES_PER_MILE = 1609.344;

constexpr const char* UNREACHABLE_DISTANCE_TEXT = "\tUNREACHABLE DISTANCE PATH\n";
constexpr const char* UNREACHABLE_ENERGY_TEXT = "\tUNREACHABLE ENERGY PATH\n";

// Metres to miles, divided in double and rounded to float.
float distanceInMiles(float metres);

// Gallons per mile at `speedMph` miles per hour: 0.075283 - 0.0015892 v + 0.000015066 v^2 in
// double, rounded to float.
float fuelPerMile(float speedMph);

// Length of the straight line between two cells in metres: the float root of the integer sum of
// squared index differences, times GRID_SPACING. Differences up to about 46000 cells.
float straightLineMetres(int startX, int startY, int endX, int endY);

// "DISTANCE DATA" report for a route of `metres` driven at `speedMph`.
std::string distanceSummary(float metres, float speedMph);

// "ENERGY DATA" report for a route costing `joules`.
std::string energySummary(float joules);

// "Total Direct Path" line for a straight line of `metres`.
std::string straightLineSummary(float metres);
