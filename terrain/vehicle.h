#pragma once
// The vehicle a run plans for: how steep it may climb and descend, its mass, and how its energy
// is counted.

constexpr double DEFAULT_GRADE_PERCENT = 7.0;
constexpr float DEFAULT_VEHICLE_MASS = 1325.0f; // kilograms
constexpr float DEFAULT_DESCENT = 1.0f;         // descending costs like climbing
constexpr float DEFAULT_ROLLING = 0.0f;         // no rolling resistance
constexpr double DEFAULT_TOP_SPEED_KMH = 90.0;  // the fastest the vehicle goes on any ground
constexpr double NO_POWER = 0.0;                // no power limit on a climb
constexpr double WATTS_PER_KILOWATT = 1000.0;
constexpr double NO_SIDE_SLOPE = 0.0; // the vehicle may lean across any slope

// The values a vehicle may take; past the last limit the energies overflow.
constexpr double MAX_GRADE_PERCENT = 100.0;
// Kilograms, or a rolling coefficient: 1e30 as the float the figure is stored in, so that the
// largest value allowed is allowed however it is checked.
constexpr double MAX_VEHICLE_FIGURE = static_cast<double>(1e30f);

inline bool isGradePercent(double percent) {
    return percent > 0.0 && percent <= MAX_GRADE_PERCENT;
}
inline bool isVehicleMass(double kg) {
    return kg > 0.0 && kg <= MAX_VEHICLE_FIGURE;
}
inline bool isDescentShare(double share) {
    return share >= 0.0 && share <= 1.0;
}
inline bool isRollingCoefficient(double c) {
    return c >= 0.0 && c <= MAX_VEHICLE_FIGURE;
}
// Kilometres an hour, or kilowatts: above 0 and finite.
inline bool isTopSpeed(double kmh) {
    return kmh > 0.0 && kmh <= MAX_VEHICLE_FIGURE;
}
inline bool isPower(double kw) {
    return kw > 0.0 && kw <= MAX_VEHICLE_FIGURE;
}
// The steepest side slope, percent, as a grade: above 0 and at most 100.
inline bool isSideSlopePercent(double percent) {
    return isGradePercent(percent);
}

struct Vehicle {
    double gradeUpPercent = DEFAULT_GRADE_PERCENT;   // steepest climb, percent (> 0, <= 100)
    double gradeDownPercent = DEFAULT_GRADE_PERCENT; // steepest descent, percent
    float vehicleMass = DEFAULT_VEHICLE_MASS;        // kilograms
    float descent = DEFAULT_DESCENT;            // share of the lift energy a descent costs (0..1)
    float rolling = DEFAULT_ROLLING;            // rolling-resistance coefficient (>= 0)
    double topSpeedKmh = DEFAULT_TOP_SPEED_KMH; // caps the speed the ground allows, km/h
    double powerKw = NO_POWER; // kilowatts that limit the speed on a climb; NO_POWER: none
    // The steepest slope, percent, the vehicle may lean across; NO_SIDE_SLOPE: any.
    double sideSlopePercent = NO_SIDE_SLOPE;

    bool operator==(const Vehicle& o) const {
        return gradeUpPercent == o.gradeUpPercent && gradeDownPercent == o.gradeDownPercent &&
               vehicleMass == o.vehicleMass && descent == o.descent && rolling == o.rolling &&
               topSpeedKmh == o.topSpeedKmh && powerKw == o.powerKw &&
               sideSlopePercent == o.sideSlopePercent;
    }
};
