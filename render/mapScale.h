#pragma once
// What the map's scale bar and north arrow show, worked out from where the view puts the ground:
// a round length that fits the bar's room, and the way north points on the screen.

#include "render/roundNumbers.h"

#include <array>
#include <string>

// "500 m", "2 km", "1.5 km": metres below 1000, kilometres from there.
std::string lengthLabel(double metres);

struct ScaleBar {
    double metres = 0.0; // 0 when no round length fits
    double pixels = 0.0;
    std::string label;
};

// The longest round length (oneTwoFiveAtMost) no longer than `maxPixels` where a metre spans
// `pixelsPerMetre` pixels.
ScaleBar scaleBar(double pixelsPerMetre, double maxPixels);

// Unit vector (x right, y up) along which a point at (fromX, fromY) moves to (toX, toY) on the
// screen; straight up when they coincide.
std::array<double, 2> screenDirection(double fromX, double fromY, double toX, double toY);
