#pragma once
// What covers the ground, as plans read it: the speed each cell allows and the rolling
// coefficient of its surface. A road, a forest and a lake of the same slope then cost a vehicle
// differently, and a speed of 0 closes a cell like a barrier.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr double KMH_PER_METRE_PER_SECOND = 3.6;

// One class of a cover's table: what a cell of that value is and allows.
struct CoverClass {
    int64_t value = 0;     // the cover raster's value: any integer a raster's type holds
    std::string name;      // as the table names it
    float speedKmh = 0.0f; // 0: no-go
    float rolling = NAN;   // NaN: the vehicle's
    std::size_t cells = 0; // cells of the ground in this class
};

// Per cell, indexed like the ground's heights (x-major); empty when no cover is loaded.
struct GroundCover {
    // The table's classes in its order; empty for a cover of speeds.
    std::vector<CoverClass> classes;
    // Per cell, 1 + the index of its class in `classes`, or 0 where the cover has no value;
    // empty for a cover of speeds.
    std::vector<uint16_t> classOf;
    std::size_t unvalued = 0; // cells the cover leaves without a value
    // Kilometres an hour the cover allows: 0 closes the cell, NaN leaves the vehicle's top speed.
    std::vector<float> speedKmh;
    // Rolling coefficient of the cell's surface; NaN leaves the vehicle's.
    std::vector<float> rolling;

    bool empty() const { return speedKmh.empty(); }
    // True when the cover closes the cell at flat index p.
    bool closes(std::size_t p) const { return !speedKmh.empty() && speedKmh[p] == 0.0f; }
};

// Seconds a metre at `kmh` kilometres an hour (> 0): the pace a move's time is summed from.
inline double paceOf(double kmh) {
    return 1.0 / (kmh / KMH_PER_METRE_PER_SECOND);
}
