#pragma once
// World metres to scene units. Any ground is drawn with its longer side 3.64 scene units long and
// its relief three times exaggerated: the built-in ground shrinks 3000 times along the ground
// (divided by 60, then by 50) and 1000 times in height, so it spans 0..3.64 scene units.

#include "terrain/gridShape.h"

constexpr double SCENE_GROUND_DIVISOR_A = 60.0; // applied first ...
constexpr double SCENE_GROUND_DIVISOR_B = 50.0; // ... then this for the built-in ground
constexpr float SCENE_HEIGHT_DIVISOR = 1000.0f; // the built-in ground's
constexpr double SCENE_LONGER_SIDE = 3.64;      // scene units
constexpr double HEIGHT_EXAGGERATION = 3.0;

struct SceneScale {
    double groundDivisorB = SCENE_GROUND_DIVISOR_B; // the second ground divisor
    float heightDivisor = SCENE_HEIGHT_DIVISOR;
    double reverseFactor = 50.0; // scene x or y times 2 times this is a grid index
};

// The scale that draws a grid of `shape` at the built-in ground's size; exactly the built-in
// numbers for a grid whose longer side spans 10 920 m.
inline SceneScale sceneScaleFor(const GridShape& shape) {
    const int longer = (shape.columns > shape.rows ? shape.columns : shape.rows) - 1;
    const double metres = longer * shape.spacing;
    const double builtIn = (GRID_SIZE - 1) * static_cast<double>(GRID_SPACING);
    if (metres == builtIn || longer < 1) {
        return {};
    }
    const double divisor = metres / SCENE_LONGER_SIDE; // metres per scene unit
    return {divisor / SCENE_GROUND_DIVISOR_A, static_cast<float>(divisor / HEIGHT_EXAGGERATION),
            divisor / (2.0 * shape.spacing)};
}

// Ground metres (x or y) to scene units, divided in double precision and rounded to float.
inline float groundToScene(const SceneScale& scale, float metres) {
    return static_cast<float>(metres * 1.0 / SCENE_GROUND_DIVISOR_A / scale.groundDivisorB);
}

// Height metres to scene units.
inline float heightToScene(const SceneScale& scale, float metres) {
    return metres / scale.heightDivisor;
}

// A drawn scene x or y back to a grid index, truncated toward zero. The float rounding of the
// forward mapping makes about half of all indices come back one lower; the drawing relies on it.
inline int sceneToGridIndex(const SceneScale& scale, float scene) {
    return static_cast<int>(scene * 2.0 * scale.reverseFactor);
}
