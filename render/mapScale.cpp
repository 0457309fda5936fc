// The scale bar's length and label, and the north arrow's direction.

#include "render/mapScale.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double METRES_PER_KM = 1000.0;
} // namespace

std::string lengthLabel(double metres) {
    char text[32];
    if (metres < METRES_PER_KM) {
        std::snprintf(text, sizeof text, "%g m", metres);
    } else {
        std::snprintf(text, sizeof text, "%g km", metres / METRES_PER_KM);
    }
    return text;
}

ScaleBar scaleBar(double pixelsPerMetre, double maxPixels) {
    if (!(pixelsPerMetre > 0.0) || !std::isfinite(pixelsPerMetre)) {
        return {};
    }
    const double metres = oneTwoFiveAtMost(maxPixels / pixelsPerMetre);
    return {metres, metres * pixelsPerMetre, lengthLabel(metres)};
}

std::array<double, 2> screenDirection(double fromX, double fromY, double toX, double toY) {
    const double dx = toX - fromX;
    const double dy = toY - fromY;
    const double length = std::hypot(dx, dy);
    if (!(length > 0.0)) {
        return {0.0, 1.0};
    }
    return {dx / length, dy / length};
}
