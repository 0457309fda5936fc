// Bounds on a vehicle's prices on a ground, worked out in double from its height range and its
// diagonal run: whether every step and every route total stays a finite float below the marker.
#include "planner/priceBounds.h"

#include "planner/routeTables.h"
#include "planner/steps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// How much one float rounding may raise a value.
constexpr double FLOAT_ROUNDING = 1.0 + std::numeric_limits<float>::epsilon() / 2.0;
constexpr double LARGEST_FLOAT = std::numeric_limits<float>::max();
constexpr double PERCENT = 100.0;
// The steepest climb a step's float test lets through, over the grade asked for.
constexpr double CLIMB_SLACK = 1.1;

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
    const double climbs = ground.longestPieces * rise;
    const double dearestLength =
        ground.longestPieces > 1 ? longestRun + climbs : std::sqrt(squares);
    if (!staysFinite(rise) || !staysFinite(ground.spacing) || !staysFinite(squares) ||
        !totalsBelowMarker(dearestLength, ground.cells)) {
        return PriceOverflow::Length;
    }
    const double massGravity = static_cast<double>(vehicle.vehicleMass) * GRAVITY;
    const double roughest = std::max(static_cast<double>(vehicle.rolling), ground.roughest);
    const double rollingForce = roughest * massGravity;
    const double lift = climbs * massGravity;
    const double rolling = rollingForce * longestRun;
    if (!staysFinite(massGravity) || !staysFinite(rollingForce) || !staysFinite(lift) ||
        !staysFinite(rolling) || !totalsBelowMarker(lift + rolling, ground.cells)) {
        return PriceOverflow::Energy;
    }
    const double slowest = ground.slowestKmh > 0.0
                               ? std::min(ground.slowestKmh, vehicle.topSpeedKmh)
                               : vehicle.topSpeedKmh;
    const double pace = paceOf(slowest);
    double seconds = dearestLength * pace;
    if (vehicle.powerKw > 0.0) {
        // A tenth over the steepest grade, for what the float test of a step lets through.
        const double grade = vehicle.gradeUpPercent / PERCENT * CLIMB_SLACK + roughest;
        const double force = massGravity * grade;
        seconds = std::max(seconds, dearestLength * force / (vehicle.powerKw * WATTS_PER_KILOWATT));
    }
    if (!staysFinite(pace) || !staysFinite(seconds) || !totalsBelowMarker(seconds, ground.cells)) {
        return PriceOverflow::Time;
    }
    return PriceOverflow::None;
}

PricedGround pricedGround(const std::vector<float>& heights, double spacing, const MoveSet& moves) {
    PricedGround ground;
    ground.spacing = spacing;
    ground.longestMoveSquare = moves.longestSquare();
    for (const Move& m : moves) {
        const int pieces = std::max(1, std::abs(m.dx) - 1 + std::abs(m.dy) - 1 + 1);
        ground.longestPieces = std::max(ground.longestPieces, pieces);
    }
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

void takeCoverBounds(const GroundCover& cover, PricedGround& ground) {
    ground.roughest = 0.0;
    ground.slowestKmh = 0.0;
    const auto take = [&](float kmh, float rolling) {
        if (kmh > 0.0f && (ground.slowestKmh == 0.0 || kmh < ground.slowestKmh)) {
            ground.slowestKmh = kmh;
        }
        if (rolling > ground.roughest) {
            ground.roughest = rolling;
        }
    };
    if (!cover.classes.empty()) {
        for (const CoverClass& c : cover.classes) {
            if (c.cells > 0) {
                take(c.speedKmh, c.rolling);
            }
        }
        return;
    }
    for (std::size_t p = 0; p < cover.speedKmh.size(); ++p) {
        take(cover.speedKmh[p], cover.rolling[p]);
    }
}
