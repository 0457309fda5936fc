// The UTM zone of a point as an EPSG code (longitudes past 180 wrapped round), and a band's
// height unit read from its name: feet, US survey feet and the metric units.

#include "terrain/groundUnits.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {
constexpr double UTM_ZONE_DEGREES = 6.0;
constexpr int UTM_ZONES = 60;
constexpr int UTM_NORTH_EPSG = 32600;
constexpr int UTM_SOUTH_EPSG = 32700;
constexpr double FOOT_METRES = 0.3048;
constexpr double US_SURVEY_FOOT_METRES = 1200.0 / 3937.0;
constexpr double TURN_DEGREES = 360.0;
constexpr double TURN_RADIANS = 6.283185307179586;
constexpr double WHOLE_TURN_TOLERANCE = 1e-9;

// Metric units by symbol and by the start of their name in either spelling, the longer names
// first so that "kilometre" is not taken for "metre".
struct MetricUnit {
    const char* symbol;
    const char* name;
    double metres;
};
constexpr MetricUnit METRIC_UNITS[] = {{"km", "kilomet", 1000.0}, {"cm", "centimet", 0.01},
                                       {"mm", "millimet", 0.001}, {"dm", "decimet", 0.1},
                                       {"m", "metre", 1.0},       {"m", "meter", 1.0}};

// Speed units by the spellings GDAL's drivers and people write, lower case and without spaces.
struct SpeedUnit {
    const char* spelling;
    double kmh;
};
constexpr double MILE_KM = 1.609344;
constexpr double METRE_SECOND_KMH = 3.6;
constexpr double KNOT_KMH = 1.852;
constexpr SpeedUnit SPEED_UNITS[] = {{"km/h", 1.0},
                                     {"kmh", 1.0},
                                     {"kph", 1.0},
                                     {"km/hr", 1.0},
                                     {"kmh-1", 1.0},
                                     {"km.h-1", 1.0},
                                     {"km/hour", 1.0},
                                     {"kilometresperhour", 1.0},
                                     {"kilometersperhour", 1.0},
                                     {"mph", MILE_KM},
                                     {"mi/h", MILE_KM},
                                     {"mi/hr", MILE_KM},
                                     {"miles/hour", MILE_KM},
                                     {"milesperhour", MILE_KM},
                                     {"m/s", METRE_SECOND_KMH},
                                     {"ms-1", METRE_SECOND_KMH},
                                     {"m.s-1", METRE_SECOND_KMH},
                                     {"m/sec", METRE_SECOND_KMH},
                                     {"metres/second", METRE_SECOND_KMH},
                                     {"meters/second", METRE_SECOND_KMH},
                                     {"metrespersecond", METRE_SECOND_KMH},
                                     {"meterspersecond", METRE_SECOND_KMH},
                                     {"knots", KNOT_KMH},
                                     {"knot", KNOT_KMH},
                                     {"kn", KNOT_KMH},
                                     {"kt", KNOT_KMH},
                                     {"kts", KNOT_KMH}};

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string lowerCase(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}
} // namespace

int utmZoneEpsg(double longitude, double latitude) {
    // Longitudes east of 180 (a 0..360 raster) wrap round to the zones they belong to.
    const int index = static_cast<int>(std::floor((longitude + 180.0) / UTM_ZONE_DEGREES));
    const int zone = (index % UTM_ZONES + UTM_ZONES) % UTM_ZONES + 1;
    return (latitude >= 0.0 ? UTM_NORTH_EPSG : UTM_SOUTH_EPSG) + zone;
}

double metresPerHeightUnit(const std::string& unitType) {
    const std::string unit = lowerCase(unitType);
    if (contains(unit, "ft") || contains(unit, "foot") || contains(unit, "feet")) {
        return contains(unit, "us") ? US_SURVEY_FOOT_METRES : FOOT_METRES;
    }
    for (const MetricUnit& metric : METRIC_UNITS) {
        if (unit == metric.symbol || contains(unit, metric.name)) {
            return metric.metres;
        }
    }
    return unit.empty() ? 1.0 : UNKNOWN_UNIT;
}

double kmhPerSpeedUnit(const std::string& unitType) {
    std::string unit = lowerCase(unitType);
    unit.erase(std::remove_if(unit.begin(), unit.end(),
                              [](unsigned char c) { return std::isspace(c) != 0; }),
               unit.end());
    for (const SpeedUnit& speed : SPEED_UNITS) {
        if (unit == speed.spelling) {
            return speed.kmh;
        }
    }
    return unit.empty() ? 1.0 : UNKNOWN_UNIT;
}

double longitudeTurn(double radiansPerUnit) {
    if (!(radiansPerUnit > 0.0)) {
        return TURN_DEGREES;
    }
    // Systems write a degree to a dozen or more digits: a turn that close to a whole number of
    // units (360 degrees, 400 grads) is that number, so that a place a turn away is the same.
    const double turn = TURN_RADIANS / radiansPerUnit;
    const double whole = std::round(turn);
    return std::fabs(turn - whole) <= WHOLE_TURN_TOLERANCE * whole ? whole : turn;
}
