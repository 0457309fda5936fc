#pragma once
// A quaternion in double precision, used as a unit quaternion for camera orientations:
// composing turns, turning vectors and blending one orientation into another.

#include "camera/vector3.h"

// normalize leaves a quaternion this short (or shorter) as it is rather than divide by ~0.
constexpr double QUATERNION_NORMALIZE_EPSILON = 0.0001;
// Below this angle between two orientations (radians) slerp blends linearly.
constexpr double SLERP_LINEAR_ANGLE = 0.01;

struct Quaternion {
    double w = 1.0; // scalar part
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Quaternion() = default;
    constexpr Quaternion(double wValue, double xValue, double yValue, double zValue)
        : w(wValue), x(xValue), y(yValue), z(zValue) {}
    constexpr Quaternion(double wValue, const Vector3& v) : w(wValue), x(v.x), y(v.y), z(v.z) {}

    constexpr Quaternion conjugate() const { return {w, -x, -y, -z}; }
    constexpr Vector3 vectorPart() const { return {x, y, z}; }

    // Scales to unit length in place; a length of QUATERNION_NORMALIZE_EPSILON or less is kept.
    void normalize();
};

// Hamilton product: the turn b followed by the turn a.
Quaternion operator*(const Quaternion& a, const Quaternion& b);

// Product with the pure quaternion (0, v).
Quaternion operator*(const Quaternion& q, const Vector3& v);

constexpr Quaternion operator+(const Quaternion& a, const Quaternion& b) {
    return {a.w + b.w, a.x + b.x, a.y + b.y, a.z + b.z};
}

constexpr Quaternion operator*(double s, const Quaternion& q) {
    return {s * q.w, s * q.x, s * q.y, s * q.z};
}

// Blends from a (t = 0) to b (t = 1) along the great arc, without a hemisphere flip. The result
// is not normalised. Within SLERP_LINEAR_ANGLE of 0 or of pi the blend is linear.
Quaternion slerp(const Quaternion& a, const Quaternion& b, double t);

// v turned by the unit quaternion q.
Vector3 rotate(const Quaternion& q, const Vector3& v);
