#pragma once
// A three-component vector in double precision: a plain value, copied freely, never allocating.

#include <cmath>

struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Vector3() = default;
    constexpr Vector3(double xValue, double yValue, double zValue)
        : x(xValue), y(yValue), z(zValue) {}

    Vector3& operator+=(const Vector3& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }

    Vector3& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    // No check for zero: callers test the divisor first.
    Vector3& operator/=(double s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }

    double length() const { return std::sqrt(x * x + y * y + z * z); }
};

constexpr Vector3 operator-(const Vector3& v) {
    return {-v.x, -v.y, -v.z};
}

constexpr Vector3 operator+(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

constexpr Vector3 operator*(double s, const Vector3& v) {
    return {s * v.x, s * v.y, s * v.z};
}

constexpr Vector3 operator*(const Vector3& v, double s) {
    return s * v;
}
