#pragma once
// Turns the value a cover raster holds at each cell into what plans read there: a speed in km/h
// for a cover of speeds, or a class of the cover's table, whose speed and rolling coefficient
// the cell then takes.

#include "terrain/groundCover.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// What is wrong with a value a cover holds.
enum class CoverFault {
    None,
    NegativeSpeed, // a cover of speeds holds one below 0 (or one not finite)
    NotWhole,      // a cover of classes holds a value that is no whole number
    UnknownClass,  // a cover of classes holds a value its table lacks
};

// Fills a GroundCover one cell at a time, in any order; each cell once.
class CoverCells {
  public:
    // A cover of `cells` cells of the table's `classes` (empty: a cover of speeds), all of them
    // unvalued until taken. `classes` must hold no value twice.
    CoverCells(std::vector<CoverClass> classes, std::size_t cells, GroundCover& cover);

    // Takes `value` (NaN: none) as the value of the cell at flat index p. False on a fault, which
    // `fault` then names with the value; the cover is then incomplete.
    bool take(std::size_t p, double value) {
        if (std::isnan(value)) {
            return true;
        }
        if (classes_ && value == lastValue_) {
            cover_.speedKmh[p] = lastClass_.speedKmh;
            cover_.rolling[p] = lastClass_.rolling;
            cover_.classOf[p] = lastClassOf_;
            return true;
        }
        return takeOther(p, value);
    }

    // Counts the cells of each class and those without a value; call once all are taken.
    void finish();

    CoverFault fault() const { return fault_; }
    double faultValue() const { return faultValue_; }

  private:
    // A speed, or a class other than the last.
    bool takeOther(std::size_t p, double value);

    GroundCover& cover_;
    bool classes_ = false;
    std::vector<std::pair<int64_t, std::size_t>> byValue_; // (class value, index), sorted
    // The class found last, which its neighbours mostly share; NaN before the first.
    double lastValue_ = NAN;
    CoverClass lastClass_;
    uint16_t lastClassOf_ = 0;
    CoverFault fault_ = CoverFault::None;
    double faultValue_ = 0.0;
};
