// Bounds on a vehicle's prices on a ground, worked out in double from its height range and its
// diagonal run: whether every step and every route total stays a finite float below the marker.
#include "planner/priceBounds.h"

#include "planner/routeTables.h"
#include "planner/steps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How much one float rounding may raise a value.
constexpr double FLOAT_ROUNDING = 1.0 + std::numeric_limits<float>::epsilon() / 2.0;
constexpr double LARGEST_FLOAT = std::numeric_limits<float>::max();

// True when `value`, worked out with a few float roundings, stays a finite float.
bool staysFinite(double value) {
    return std::isfinite(value) && value * FLOAT_ROUNDING * FLOAT_ROUNDING < LARGEST_FLOAT;
}

// True when routes of at most `steps` steps of at most `dearest` each add up below the marker:
// each of the additions may round up once.
bool totalsBelowMarker(double dearest, std::size_t steps) {
    const double growth = std::exp(static_cast<double>(steps) * std::log1p(FLOAT_ROUNDING - 1.0));
    const double total = dearest * static_cast<double>(steps) * growth;
    return std::isfinite(total) && total < static_cast<double>(UNREACHED_COST);
}

} // namespace

PriceOverflow priceOverflow(const Vehicle& vehicle, const PricedGround& ground) {
    const double rise = ground.highest - ground.lowest;
    // The longest move of the set is the dearest on the steepest ground.
    const double longest = ground.longestMoveSquare;
    const double longestRun = std::sqrt(longest) * ground.spacing;
    // The planners square the rise and both runs in floats before taking the root.
    const double squares = rise * rise + longest * ground.spacing * ground.spacing;
    if (!staysFinite(rise) || !staysFinite(ground.spacing) || !staysFinite(squares) ||
        !totalsBelowMarker(std::sqrt(squares), ground.cells)) {
        return PriceOverflow::Length;
    }
    const double massGravity = static_cast<double>(vehicle.vehicleMass) * GRAVITY;
    const double rollingForce = static_cast<double>(vehicle.rolling) * massGravity;
    const double lift = rise * massGravity;
    const double rolling = rollingForce * longestRun;
    if (!staysFinite(massGravity) || !staysFinite(rollingForce) || !staysFinite(lift) ||
        !staysFinite(rolling) || !totalsBelowMarker(lift + rolling, ground.cells)) {
        return PriceOverflow::Energy;
    }
    return PriceOverflow::None;
}

PricedGround pricedGround(const std::vector<float>& heights, double spacing, const MoveSet& moves) {
    PricedGround ground;
    ground.spacing = spacing;
    ground.longestMoveSquare = moves.longestSquare();
    ground.cells = heights.size();
    bool any = false;
    for (const float z : heights) {
        if (std::isnan(z)) {
            continue;
        }
        ground.lowest = any ? std::min(ground.lowest, double{z}) : z;
        ground.highest = any ? std::max(ground.highest, double{z}) : z;
        any = true;
    }
    return ground;
}
