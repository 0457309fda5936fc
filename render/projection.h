#pragma once
// The perspective every reshape sets.

constexpr double FIELD_OF_VIEW_DEGREES = 45.0; // vertical
constexpr double NEAR_PLANE = 0.01;            // scene units
constexpr double FAR_PLANE = 1000.0;           // scene units

// Width over height as a real; a window of height 0 counts as height 1.
inline double aspectRatio(int width, int height) {
    return static_cast<double>(width) / (height == 0 ? 1 : height);
}
