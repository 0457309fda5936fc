// The grade test of one step, its threshold search over the floats, and the plain energy of a
// step for the built-in vehicle.
#include "planner/stepRules.h"

#include "terrain/gridShape.h"

#include <cmath>
#include <cstdint>
#include <cstring>

const double GRADE_LIMIT = gradeAngle(DEFAULT_GRADE_PERCENT);

double gradeAngle(double percent) {
    return std::atan(percent / 100.0);
}

int isPassableRatio(float ratio, double limit) {
    // A step shorter than its run is level ground whose positions, rounded to float far from the
    // origin, lie a little closer than the spacing: its slope is 0, not undefined.
    if (ratio > 1.0f) {
        return 1;
    }
    const float angle = static_cast<float>(std::acos(static_cast<double>(ratio)));
    return limit >= angle ? 1 : 0;
}

int isPassable(float stepMultiplier, float length) {
    return isPassableRatio(slopeRatio(stepMultiplier, GRID_SPACING, length), GRADE_LIMIT);
}

float passableRatioThreshold(double limit) {
    // Non-negative floats order like their bit patterns: bisect on those between 0 and 1.
    const auto bits = [](float f) {
        uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    };
    const auto value = [](uint32_t b) {
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    };
    uint32_t low = bits(0.0f);  // may fail
    uint32_t high = bits(1.0f); // angle 0: always passes
    if (isPassableRatio(value(low), limit)) {
        return 0.0f;
    }
    while (high - low > 1) {
        const uint32_t middle = low + (high - low) / 2;
        (isPassableRatio(value(middle), limit) ? high : low) = middle;
    }
    return value(high);
}

float stepEnergy(float zFrom, float zTo, float vehicleMass) {
    const float rise = std::fabs(zTo - zFrom);
    return rise * (vehicleMass * GRAVITY);
}
