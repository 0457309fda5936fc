#pragma once
// How one step between neighbouring grid points is measured, tested and priced. The float
// roundings are part of the result: the tables must come out bit for bit the same every run.

constexpr float GRAVITY = 9.80665f; // m/s^2
constexpr float STRAIGHT_STEP = 1.0f;
constexpr float DIAGONAL_STEP = 1.41421354f; // the float nearest the square root of 2

// Steepest slope a step may have, radians: a 7 % grade.
extern const double GRADE_LIMIT;

// Euclidean distance between (x1, y1, z1) and (x2, y2, z2), metres. Arguments go axis by axis.
float segmentLength(float x1, float x2, float y1, float y2, float z1, float z2);

// 1 when a step of horizontal run stepMultiplier * GRID_SPACING and length `length` climbs or
// descends no more than GRADE_LIMIT, else 0 (also when the length is shorter than the run).
int isPassable(float stepMultiplier, float length);

// Joules to raise or lower vehicleMass kilograms from height zFrom to zTo; climbing and
// descending cost the same.
float stepEnergy(float zFrom, float zTo, float vehicleMass);
