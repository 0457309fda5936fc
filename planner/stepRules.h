#pragma once
// The plain rules of one step between two points: its length from their positions, its slope
// test and its energy, as the route summary prices a route again. The planners take their moves
// through planner/steps.h, which builds on the constants and thresholds here. The float roundings
// are part of the result: the tables must come out bit for bit the same every run.

#include "terrain/vehicle.h"

#include <cmath>

constexpr double STANDARD_GRAVITY = 9.80665; // m/s^2
constexpr float GRAVITY = static_cast<float>(STANDARD_GRAVITY);
constexpr float STRAIGHT_STEP = 1.0f;
constexpr float DIAGONAL_STEP = 1.41421354f; // the float nearest the square root of 2

// Steepest slope a step may have with the default vehicle, radians: a 7 % grade.
extern const double GRADE_LIMIT;

// Slope angle of a grade, radians: atan(percent / 100) in double.
double gradeAngle(double percent);

// The root of a float sum of squares, as the double root rounded to float. A float root gives
// that same float (a double holds more than twice a float's digits, so rounding twice cannot
// differ) and is several times faster.
inline float squareRootOfSum(float sum) {
    return std::sqrt(sum);
}

// Euclidean distance between (x1, y1, z1) and (x2, y2, z2), metres. Arguments go axis by axis;
// the absolute differences are rounded to float, their squares summed in float (dz, dx, dy) and
// the root taken in double.
inline float segmentLength(float x1, float x2, float y1, float y2, float z1, float z2) {
    const float dz = std::fabs(z2 - z1);
    const float dy = std::fabs(y2 - y1);
    const float dx = std::fabs(x2 - x1);
    const float sum = dz * dz + dx * dx + dy * dy;
    return squareRootOfSum(sum);
}

// m * spacing / length in float: the cosine of the step's slope, above 1 when the length is
// shorter than the run.
inline float slopeRatio(float stepMultiplier, float spacing, float length) {
    return stepMultiplier * spacing / length;
}

// 1 when a step of slope ratio `ratio` climbs or descends no more than `limit` radians, else 0:
// the angle is acos(ratio) rounded to float; a ratio above 1 is a slope of 0 and passes.
int isPassableRatio(float ratio, double limit);

// 1 when a step of horizontal run stepMultiplier * 30 m and length `length` is within
// GRADE_LIMIT, else 0 (1 when the length is shorter than the run).
int isPassable(float stepMultiplier, float length);

// The least ratio that isPassableRatio(ratio, limit) accepts: since acos falls as the ratio
// grows, a step passes exactly when threshold <= ratio. Found once per limit by a search
// over the floats, so the planners test a step with two comparisons instead of an arc cosine.
float passableRatioThreshold(double limit);

// Joules to raise or lower vehicleMass kilograms from height zFrom to zTo; climbing and
// descending cost the same.
float stepEnergy(float zFrom, float zTo, float vehicleMass);
