#pragma once
// World metres to scene units: ground axes shrink 3000 times, heights 1000 times, so relief is
// drawn three times exaggerated and the whole grid spans 0..3.64 scene units.

constexpr double SCENE_GROUND_DIVISOR_A = 60.0; // applied first ...
constexpr double SCENE_GROUND_DIVISOR_B = 50.0; // ... then this; the two-step rounding matters
constexpr float SCENE_HEIGHT_DIVISOR = 1000.0f;

// Ground metres (x or y) to scene units, divided in double precision and rounded to float.
inline float groundToScene(float metres) {
    return static_cast<float>(metres * 1.0 / SCENE_GROUND_DIVISOR_A / SCENE_GROUND_DIVISOR_B);
}

// Height metres to scene units.
inline float heightToScene(float metres) {
    return metres / SCENE_HEIGHT_DIVISOR;
}

// A drawn scene x or y back to a grid index, truncated toward zero. The float rounding of the
// forward mapping makes about half of all indices come back one lower; the drawing relies on it.
inline int sceneToGridIndex(float scene) {
    return static_cast<int>(scene * 2.0 * 50.0);
}
