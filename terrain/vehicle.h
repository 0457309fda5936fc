#pragma once
// The vehicle a run plans for: how steep it may climb and descend, its mass, and how its energy
// is counted.

constexpr double DEFAULT_GRADE_PERCENT = 7.0;
constexpr float DEFAULT_VEHICLE_MASS = 1325.0f; // kilograms
constexpr float DEFAULT_DESCENT = 1.0f;         // descending costs like climbing
constexpr float DEFAULT_ROLLING = 0.0f;         // no rolling resistance

struct Vehicle {
    double gradeUpPercent = DEFAULT_GRADE_PERCENT;   // steepest climb, percent (> 0, <= 100)
    double gradeDownPercent = DEFAULT_GRADE_PERCENT; // steepest descent, percent
    float mass = DEFAULT_VEHICLE_MASS;               // kilograms
    float descent = DEFAULT_DESCENT; // share of the lift energy a descent costs (0..1)
    float rolling = DEFAULT_ROLLING; // rolling-resistance coefficient (>= 0)
};
