#pragma once
// Component-wise comparisons of the camera's value types.

#include "camera/quaternion.h"
#include "camera/vector3.h"

#include <gtest/gtest.h>

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
