#include "planner/stepRules.h"

#include "terrain/terrainGrid.h"

#include <cmath>

const double GRADE_LIMIT = std::atan(7.0 / 100.0);

float segmentLength(float x1, float x2, float y1, float y2, float z1, float z2) {
    const float dz = std::fabs(z2 - z1);
    const float dy = std::fabs(y2 - y1);
    const float dx = std::fabs(x2 - x1);
    const float sum = dz * dz + dx * dx + dy * dy;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

int isPassable(float stepMultiplier, float length) {
    const float ratio = stepMultiplier * GRID_SPACING / length;
    const float angle = static_cast<float>(std::acos(static_cast<double>(ratio)));
    // A NaN angle (ratio above 1) compares false and so is not passable.
    return GRADE_LIMIT >= angle ? 1 : 0;
}

float stepEnergy(float zFrom, float zTo, float vehicleMass) {
    const float rise = std::fabs(zTo - zFrom);
    return rise * (vehicleMass * GRAVITY);
}
