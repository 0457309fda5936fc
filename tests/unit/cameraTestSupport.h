#pragma once
// Comparisons and reference rotations for the camera's value types.

#include "camera/quaternion.h"
#include "camera/vector3.h"

#include <gtest/gtest.h>

#include <cmath>

constexpr double CAMERA_TOLERANCE = 1e-12;

inline void expectNear(const Vector3& actual, const Vector3& expected,
                       double tolerance = CAMERA_TOLERANCE) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void expectNear(const Quaternion& actual, const Quaternion& expected,
                       double tolerance = CAMERA_TOLERANCE) {
    EXPECT_NEAR(actual.w, expected.w, tolerance);
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline Quaternion axisAngle(const Vector3& axis, double angle) {
    return {std::cos(angle / 2), std::sin(angle / 2) * axis};
}

// Rodrigues' rotation formula: a reference independent of the quaternion code.
inline Vector3 rodrigues(const Vector3& k, double angle, const Vector3& v) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Vector3 cross(k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x);
    const double dot = k.x * v.x + k.y * v.y + k.z * v.z;
    return c * v + s * cross + ((1 - c) * dot) * k;
}
