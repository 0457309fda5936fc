// The rings of the window as values of reach.

#include "planner/isochrones.h"

#include <algorithm>

namespace {

const IsochroneUnit& unitOf(const char* symbol) {
    return *std::find_if(
        std::begin(ISOCHRONE_UNITS), std::end(ISOCHRONE_UNITS),
        [symbol](const IsochroneUnit& u) { return std::string(u.symbol) == symbol; });
}

} // namespace

Isochrones ringIsochrones(const PlanSettings& s, std::optional<Measure> shaded) {
    const Measure m = shaded.value_or(Measure::Energy);
    const float rings = m == Measure::Distance ? s.distanceRings
                        : m == Measure::Time   ? s.timeRings
                                               : s.energyRings;
    const float width = m == Measure::Distance ? s.distanceIncrement
                        : m == Measure::Time   ? s.timeIncrement
                                               : s.energyIncrement;
    const IsochroneUnit& unit = unitOf(m == Measure::Distance ? "m"
                                       : m == Measure::Time   ? "min"
                                                              : "J");
    Isochrones out{unit.measure, unit.symbol, unit.tableUnits, {}};
    if (!shaded) {
        return out;
    }
    // The shading's own bounds, ring after ring while the ring lies below the count (a part
    // ring counts).
    for (int ring = 0; ring < rings && ring < MOST_ISOCHRONES; ++ring) {
        out.values.push_back(static_cast<float>((ring + 1) * width));
    }
    return out;
}
