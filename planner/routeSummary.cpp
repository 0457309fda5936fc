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

std::string tripStraightLineReport(const std::vector<Cell>& points, double spacing) {
    float metres = 0.0f;
    for (std::size_t k = 1; k < points.size(); ++k) {
        metres +=
            straightLineMetres(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, spacing);
    }
    return straightLineSummary(metres);
}

std::string routeReport(const Route& route, float speedMph) {
    switch (route.measure) {
    case Measure::Distance:
        return route.reachable ? distanceSummary(route.lengthMetres, speedMph)
                               : UNREACHABLE_DISTANCE_TEXT;
    case Measure::Energy:
        return route.reachable ? energySummary(route.energyJoules) : UNREACHABLE_ENERGY_TEXT;
    case Measure::Time:
        break;
    }
    return route.reachable ? timeSummary(route.timeSeconds) : UNREACHABLE_TIME_TEXT;
}

std::string leastTotalsText(const RouteLeg& distance, const RouteLeg& energy,
                            const RouteLeg* time) {
    if (!distance.reachable) {
        return "unreachable";
    }
    std::string text = formatText("%f miles, %f joules",
                                  static_cast<double>(distanceInMiles(distance.lengthMetres)),
                                  static_cast<double>(energy.energyJoules));
    if (time != nullptr) {
        text += time->reachable
                    ? formatText(", %f minutes",
                                 static_cast<double>(time->timeSeconds) / SECONDS_PER_MINUTE)
                    : std::string(", no time");
    }
    return text;
}

namespace {
constexpr std::size_t DISTANCE_ROUTE = 0;
constexpr std::size_t ENERGY_ROUTE = 1;
constexpr std::size_t TIME_ROUTE = 2;

std::string cellText(const Cell& cell) {
    return formatText("(%d, %d)", cell.x, cell.y);
}
} // namespace

std::string legLines(const std::vector<Route>& routes) {
    if (routes.size() <= ENERGY_ROUTE) {
        return {};
    }
    const std::vector<RouteLeg>& legs = routes[DISTANCE_ROUTE].legs;
    const bool timed = routes.size() > TIME_ROUTE;
    std::string lines;
    for (std::size_t k = 0; k < legs.size(); ++k) {
        lines += formatText("Leg %zu of %zu, ", k + 1, legs.size()) + cellText(legs[k].from) +
                 " to " + cellText(legs[k].to) + ": " +
                 leastTotalsText(legs[k], routes[ENERGY_ROUTE].legs[k],
                                 timed ? &routes[TIME_ROUTE].legs[k] : nullptr) +
                 "\n";
    }
    return lines;
}

std::string destinationLines(const RouteTables& tables, const std::vector<Cell>& ends) {
    std::string lines;
    for (const Cell& end : ends) {
        const auto least = [&end](const CostTable& costs) {
            const bool reached = costs.reaches(end.x, end.y);
            return reached ? costs[end.x][end.y] : 0.0f;
        };
        const RouteLeg distance{
            {}, end, tables.distance.reaches(end.x, end.y), least(tables.distance)};
        const RouteLeg energy{
            {}, end, tables.energy.reaches(end.x, end.y), 0.0f, least(tables.energy)};
        const RouteLeg time{{},   end,  tables.time.reaches(end.x, end.y),
                            0.0f, 0.0f, least(tables.time)};
        lines += "To " + cellText(end) + ": " +
                 leastTotalsText(distance, energy, tables.timed ? &time : nullptr) + "\n";
    }
    return lines;
}
