#pragma once
// What covers the ground, as plans read it: the speed each cell allows and the rolling
// coefficient of its surface. A road, a forest and a lake of the same slope then cost a vehicle
// differently, and a speed of 0 closes a cell like a barrier.

#include <cmath>
#include <cstddef>
#include <vector>

constexpr double KMH_PER_METRE_PER_SECOND = 3.6;

// Per cell, indexed like the ground's heights (x-major); both empty when no cover is loaded.
struct GroundCover {
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
