// The console's route reports: miles and fuel, joules, minutes, the straight line.
#include "planner/routeSummary.h"

#include <cmath>

namespace {
constexpr double FUEL_BASE = 0.075283;      // gallons per mile
constexpr double FUEL_LINEAR = 0.0015892;   // gallons per mile per mph
constexpr double FUEL_SQUARE = 0.000015066; // gallons per mile per mph squared
} // namespace

float distanceInMiles(float metres) {
    return static_cast<float>(metres / METRES_PER_MILE);
}

float fuelPerMile(float speedMph) {
    const double v = speedMph;
    return static_cast<float>(FUEL_BASE - FUEL_LINEAR * v + FUEL_SQUARE * v * v);
}

float straightLineMetres(int startX, int startY, int endX, int endY, double spacing) {
    const long long dx = startX - endX;
    const long long dy = startY - endY;
    return std::sqrt(static_cast<float>(dx * dx + dy * dy)) * static_cast<float>(spacing);
}

std::string distanceSummary(float metres, float speedMph) {
    const float miles = distanceInMiles(metres);
    const float gallons = miles * fuelPerMile(speedMph);
    return formatText(
        "\nDISTANCE DATA\nTotal Distance Path:\t%f miles\nTotal Fuel Consumption:\t%f "
        "gallons\n",
        static_cast<double>(miles), static_cast<double>(gallons));
}

std::string energySummary(float joules) {
    return formatText("\nENERGY DATA\nTotal Energy Path:\t%f joules\n",
                      static_cast<double>(joules));
}

std::string timeSummary(float seconds) {
    return formatText("\nTIME DATA\nTotal Time Path:\t%f minutes\n",
                      static_cast<double>(seconds) / SECONDS_PER_MINUTE);
}

std::string straightLineSummary(float metres) {
    return formatText("Total Direct Path:\t%f meters\n", static_cast<double>(metres));
}

std::string distanceReport(const RouteTables& tables, const RouteEnds& ends, float speedMph) {
    if (!tables.distance.reaches(ends.endX, ends.endY)) {
        return UNREACHABLE_DISTANCE_TEXT;
    }
    return distanceSummary(tables.distance[ends.endX][ends.endY], speedMph);
}

std::string energyReport(const RouteTables& tables, const RouteEnds& ends) {
    if (!tables.energy.reaches(ends.endX, ends.endY)) {
        return UNREACHABLE_ENERGY_TEXT;
    }
    return energySummary(tables.energy[ends.endX][ends.endY]);
}

std::string timeReport(const RouteTables& tables, const RouteEnds& ends) {
    if (!tables.time.reaches(ends.endX, ends.endY)) {
        return UNREACHABLE_TIME_TEXT;
    }
    return timeSummary(tables.time[ends.endX][ends.endY]);
}

std::string straightLineReport(const RouteEnds& ends, double spacing) {
    return straightLineSummary(
        straightLineMetres(ends.startX, ends.startY, ends.endX, ends.endY, spacing));
}
