// Mapping a cover's values: neighbouring cells mostly share a class, so the class found last is
// tried before the sorted table is searched; counting is left to one pass at the end.

#include "terrain/coverCells.h"

#include <algorithm>
#include <limits>

namespace {
// The range of int64_t, whose ends are powers of 2 that a double holds exactly.
constexpr double LOWEST_CLASS = static_cast<double>(std::numeric_limits<int64_t>::min());
constexpr double BEYOND_CLASSES = -LOWEST_CLASS;
} // namespace

CoverCells::CoverCells(std::vector<CoverClass> classes, std::size_t cells, GroundCover& cover)
    : cover_(cover), classes_(!classes.empty()) {
    cover_.classes = std::move(classes);
    cover_.speedKmh.assign(cells, NAN);
    cover_.rolling.assign(cells, NAN);
    cover_.classOf.assign(cover_.classes.empty() ? 0 : cells, 0);
    cover_.unvalued = 0;
    for (std::size_t k = 0; k < cover_.classes.size(); ++k) {
        cover_.classes[k].cells = 0;
        byValue_.emplace_back(cover_.classes[k].value, k);
    }
    std::sort(byValue_.begin(), byValue_.end());
}

bool CoverCells::takeOther(std::size_t p, double value) {
    if (!classes_) {
        if (!(value >= 0.0) || !std::isfinite(static_cast<float>(value))) {
            fault_ = CoverFault::NegativeSpeed;
            faultValue_ = value;
            return false;
        }
        cover_.speedKmh[p] = static_cast<float>(value);
        return true;
    }
    // Every integer of a raster's types up to 32 bits, and those of 64 bits a double holds.
    const bool whole =
        value == std::floor(value) && value >= LOWEST_CLASS && value < BEYOND_CLASSES;
    if (!whole) {
        fault_ = CoverFault::NotWhole;
        faultValue_ = value;
        return false;
    }
    const auto v = static_cast<int64_t>(value);
    const auto found =
        std::lower_bound(byValue_.begin(), byValue_.end(), std::make_pair(v, std::size_t{0}));
    if (found == byValue_.end() || found->first != v) {
        fault_ = CoverFault::UnknownClass;
        faultValue_ = value;
        return false;
    }
    lastValue_ = value;
    lastClass_ = cover_.classes[found->second];
    lastClassOf_ = static_cast<uint16_t>(found->second + 1);
    return take(p, value);
}

void CoverCells::finish() {
    cover_.unvalued = 0;
    if (cover_.classes.empty()) {
        for (const float kmh : cover_.speedKmh) {
            cover_.unvalued += std::isnan(kmh) ? 1 : 0;
        }
        return;
    }
    std::vector<std::size_t> counts(cover_.classes.size() + 1, 0);
    for (const uint16_t k : cover_.classOf) {
        ++counts[k];
    }
    cover_.unvalued = counts[0];
    for (std::size_t k = 0; k < cover_.classes.size(); ++k) {
        cover_.classes[k].cells = counts[k + 1];
    }
}
