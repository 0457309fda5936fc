// The console lines of a loaded ground. Shares are rounded to whole percent but never to 0 or
// 100 unless they are exactly that, so "0 %" always means nothing and "100 %" everything.

#include "planner/groundReport.h"

#include <cmath>
#include <cstdio>

namespace {
// The options a user can turn to reach more ground.
constexpr const char* WIDER_REACH_HINT = "try --grade or --moves";
constexpr const char* LEANING_REACH_HINT = "try --grade, --side-slope or --moves";

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}
} // namespace

GroundReach groundReach(const TerrainPositions& terrain, const RouteTables& tables) {
    const GridShape& shape = terrain.shape();
    GroundReach reach;
    reach.cells = shape.cells();
    const float* heights = terrain.heights().data();
    const float* costs = tables.distance.data();
    const bool planned = tables.distance.shape().cells() == shape.cells();
    for (std::size_t p = 0; p < reach.cells; ++p) {
        if (!std::isnan(heights[p])) {
            ++reach.withGround;
            reach.reached += planned && costs[p] != UNREACHED_COST;
        }
    }
    return reach;
}

std::string percentText(std::size_t part, std::size_t whole) {
    if (whole == 0 || part == 0) {
        return "0";
    }
    const double percent = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
    // Two figures where whole percent would round a little to nothing or a little short to all.
    char text[32];
    if (percent < 0.5 || (part < whole && percent >= 99.5)) {
        std::snprintf(text, sizeof text, "%.*f", percent < 0.5 ? 2 : 1, percent);
        const std::string shown = text;
        return shown == "0.00" ? "0.01" : shown == "100.0" ? "99.9" : shown;
    }
    return numberText(std::round(percent));
}

std::string gradeText(const Vehicle& vehicle) {
    if (vehicle.gradeUpPercent == vehicle.gradeDownPercent) {
        return numberText(vehicle.gradeUpPercent) + " %";
    }
    return numberText(vehicle.gradeUpPercent) + " % up and " +
           numberText(vehicle.gradeDownPercent) + " % down";
}

std::string vehicleText(const Vehicle& vehicle) {
    if (vehicle.sideSlopePercent == NO_SIDE_SLOPE) {
        return gradeText(vehicle) + " vehicle";
    }
    return gradeText(vehicle) + " vehicle leaning at most " + numberText(vehicle.sideSlopePercent) +
           " %";
}

std::string groundLine(const GridShape& shape, const GroundReach& reach) {
    char text[160];
    std::snprintf(text, sizeof text, "Ground: %d x %d cells of %.1f m, %s %% without ground\n",
                  shape.columns, shape.rows, shape.spacing,
                  percentText(reach.cells - reach.withGround, reach.cells).c_str());
    return text;
}

std::string endsLine(const RouteEnds& ends, const std::string& chosenBy, PlannerKind planner) {
    char text[96];
    std::snprintf(text, sizeof text, "Start (%d, %d), end (%d, %d): ", ends.startX, ends.startY,
                  ends.endX, ends.endY);
    return text + chosenBy +
           (planner == PlannerKind::Exact ? "; exact planner\n" : "; sweep planner\n");
}

std::string defaultEndsReason(const Vehicle& vehicle) {
    if (vehicle.sideSlopePercent == NO_SIDE_SLOPE) {
        return "the largest area that " + gradeText(vehicle) + " grades join";
    }
    return "the largest area that " + gradeText(vehicle) + " grades and a " +
           numberText(vehicle.sideSlopePercent) + " % side slope join";
}

std::string reachLine(const GroundReach& reach, const Vehicle& vehicle) {
    char text[96];
    std::snprintf(text, sizeof text, " of the ground (%zu of %zu cells)\n", reach.reached,
                  reach.withGround);
    return "From the start a " + vehicleText(vehicle) + " reaches " +
           percentText(reach.reached, reach.withGround) + " %" + text;
}

std::string unreachableEndLine(const GroundReach& reach, const Vehicle& vehicle) {
    return "the end lies outside the " + percentText(reach.reached, reach.withGround) +
           " % of the ground a " + vehicleText(vehicle) + " reaches from the start; " +
           (vehicle.sideSlopePercent == NO_SIDE_SLOPE ? WIDER_REACH_HINT : LEANING_REACH_HINT) +
           "\n";
}
