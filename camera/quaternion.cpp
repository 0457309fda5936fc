// Quaternion arithmetic: normalising, products with quaternions and vectors, turning a vector,
// and slerp, which falls back to a straight blend near 0 and pi.

#include "camera/quaternion.h"

#include <cmath>

namespace {
constexpr double PI = 3.14159265358979323846;
} // namespace

void Quaternion::normalize() {
    const double length = std::sqrt(w * w + x * x + y * y + z * z);
    if (length <= QUATERNION_NORMALIZE_EPSILON) {
        return;
    }
    w /= length;
    x /= length;
    y /= length;
    z /= length;
}

Quaternion operator*(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
            a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x};
}

Quaternion operator*(const Quaternion& q, const Vector3& v) {
    return {-(q.x * v.x + q.y * v.y + q.z * v.z), q.w * v.x + q.y * v.z - q.z * v.y,
            q.w * v.y + q.z * v.x - q.x * v.z, q.w * v.z + q.x * v.y - q.y * v.x};
}

Quaternion slerp(const Quaternion& a, const Quaternion& b, double t) {
    double d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (d > 1.0) {
        d = 1.0;
    } else if (d < -1.0) {
        d = -1.0;
    }
    const double theta = std::acos(d);
    // Near pi, sin(theta) vanishes as it does near 0, and the weights would grow without bound.
    if (theta < SLERP_LINEAR_ANGLE || PI - theta < SLERP_LINEAR_ANGLE) {
        return (1.0 - t) * a + t * b;
    }
    const double sinTheta = std::sin(theta);
    return (std::sin((1.0 - t) * theta) / sinTheta) * a + (std::sin(t * theta) / sinTheta) * b;
}

Vector3 rotate(const Quaternion& q, const Vector3& v) {
    return ((q * v) * q.conjugate()).vectorPart();
}
