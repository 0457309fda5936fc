// The 1-2-5 series, searched within the decade of the value.

#include "render/roundNumbers.h"

#include <cmath>

namespace {
constexpr double SERIES[] = {1.0, 2.0, 5.0, 10.0};
} // namespace

double oneTwoFiveAtLeast(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        return value;
    }
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : SERIES) {
        if (step * power >= value) {
            return step * power;
        }
    }
    return SERIES[3] * power;
}

double oneTwoFiveAtMost(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        return value;
    }
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    double best = power;
    for (const double step : SERIES) {
        if (step * power <= value) {
            best = step * power;
        }
    }
    return best;
}
