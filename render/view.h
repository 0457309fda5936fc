#pragma once
// How the window shows a plan: which measure it shades and draws the route of, and where the
// scene sits before the camera. The run keeps the values (app/settings.h); the scene is told them.

#include "planner/steps.h"

#include <optional>

enum ViewMode : int { Energy = 1, Distance = 2, Time = 3 };

// The measure a view shades; none for any other value, which shades white and draws no route.
inline std::optional<Measure> shadedMeasure(ViewMode mode) {
    switch (mode) {
    case Distance:
        return Measure::Distance;
    case Energy:
        return Measure::Energy;
    case Time:
        return Measure::Time;
    }
    return std::nullopt;
}

struct Vec3f {
    float x;
    float y;
    float z;
};

// The window's size at the start, pixels a side; mouse presses are classified against it.
constexpr int START_WINDOW_SIZE = 500;
