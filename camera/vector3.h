#pragma once
// Placeholder until the camera maths land.
struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
