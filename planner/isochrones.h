#pragma once
// Reach as areas: the values a map of where the vehicle can get is drawn for, all in one unit of
// one measure, and the one rule of which cells lie within a value.

#include "planner/routeSummary.h"
#include "planner/routeTables.h"
#include "planner/steps.h"
#include "terrain/settings.h"

#include <optional>
#include <string>
#include <vector>

// A unit values of reach are given in: its symbol, its measure and how many of the cost table's
// units (metres, joules, seconds) one of it holds.
struct IsochroneUnit {
    const char* symbol;
    Measure measure;
    double tableUnits;
};

constexpr double MINUTES_PER_HOUR = 60.0;
constexpr double SECONDS_PER_HOUR = SECONDS_PER_MINUTE * MINUTES_PER_HOUR;

// The symbols a value may end in, case and all: "mJ" would be millijoules, not megajoules.
constexpr IsochroneUnit ISOCHRONE_UNITS[] = {{"s", Measure::Time, 1.0},
                                             {"min", Measure::Time, SECONDS_PER_MINUTE},
                                             {"h", Measure::Time, SECONDS_PER_HOUR},
                                             {"m", Measure::Distance, 1.0},
                                             {"km", Measure::Distance, 1e3},
                                             {"J", Measure::Energy, 1.0},
                                             {"kJ", Measure::Energy, 1e3},
                                             {"MJ", Measure::Energy, 1e6}};

// Every value costs a pass of the polygonizer over the grid (a tenth of a second on 16 million
// cells): a list holds a hundred at most, as many as the window draws rings.
constexpr int MOST_ISOCHRONES = 100;

// The values reach is drawn for, increasing, each the edge of one area.
struct Isochrones {
    Measure measure = Measure::Time;
    std::string unit;        // the symbol the values were given in
    double tableUnits = 1.0; // the cost table's units in one of `unit`
    std::vector<double> values;

    bool empty() const { return values.empty(); }
    // The value `k` in the cost table's units.
    double limit(std::size_t k) const { return values[k] * tableUnits; }
};

// A cell lies within `limit` (in the cost table's units) when a plan reached it at a cost of no
// more than that; unreached cells and cells without ground (NaN) never do.
inline bool withinReach(float cost, double limit) {
    return cost != UNREACHED_COST && static_cast<double>(cost) <= limit;
}

// The rings the window shades in the measure `shaded`, each ring's outer edge a value: metres,
// joules or minutes as the settings give ring widths. Empty without rings or without a measure
// (its unit then joules).
Isochrones ringIsochrones(const PlanSettings& settings, std::optional<Measure> shaded);
