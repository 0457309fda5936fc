// Round ring widths: the dearest reached cost over the ring count, rounded up to 1, 2 or 5 x 10^n
// so the legend reads in plain numbers.

#include "render/ringFit.h"

#include "planner/routeSummary.h"
#include "render/roundNumbers.h"

#include <algorithm>
#include <cmath>

namespace {
// The highest cost a plan reached in `costs`; 0 when it reached none but the start.
double dearestReached(const CostTable& costs) {
    const float* c = costs.data();
    float dearest = 0.0f;
    for (std::size_t p = 0, n = costs.shape().cells(); p < n; ++p) {
        if (c[p] != UNREACHED_COST) {
            dearest = std::max(dearest, c[p]);
        }
    }
    return dearest;
}

void fitWidth(float rings, double dearest, float& width) {
    if (rings >= 1.0f && dearest > 0.0) {
        // Just past the dearest cost, so it lies inside the last ring rather than beyond it.
        width = static_cast<float>(
            oneTwoFiveAtLeast(std::nextafter(dearest / std::floor(rings), HUGE_VAL)));
    }
}
} // namespace

void fitRingWidths(PlanSettings& s, const RouteTables& tables) {
    fitWidth(s.distanceRings, dearestReached(tables.distance), s.distanceIncrement);
    fitWidth(s.energyRings, dearestReached(tables.energy), s.energyIncrement);
    if (tables.timed) {
        fitWidth(s.timeRings, dearestReached(tables.time) / SECONDS_PER_MINUTE, s.timeIncrement);
    }
}
