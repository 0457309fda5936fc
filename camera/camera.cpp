// The fly camera's motion: turns about its own axes applied to the target orientation, moves at a
// fixed speed along the flagged directions, and the view orientation eased toward the target by
// slerp every tick until it settles.

#include "camera/camera.h"

#include <cmath>

Quaternion turnedAbout(const Quaternion& orientation, const Vector3& bodyAxis, double angle) {
    const Vector3 worldAxis = rotate(orientation, bodyAxis);
    const Quaternion turn(std::cos(angle / 2.0), std::sin(angle / 2.0) * worldAxis);
    Quaternion turned = turn * orientation;
    turned.normalize();
    return turned;
}

void Camera::pitch(double angle) {
    targetOrientation = turnedAbout(targetOrientation, localRight, angle);
}

void Camera::yaw(double angle) {
    targetOrientation = turnedAbout(targetOrientation, localUp, angle);
}

void Camera::roll(double angle) {
    targetOrientation = turnedAbout(targetOrientation, localForward, angle);
}

Vector3 Camera::displacement(double dt) const {
    const Vector3 forward = rotate(targetOrientation, localForward);
    const Vector3 right = rotate(targetOrientation, localRight);
    const Vector3 up = rotate(targetOrientation, localUp);
    Vector3 move;
    if (movingForward) {
        move += forward;
    }
    if (movingBackward) {
        move += -forward;
    }
    if (movingRight) {
        move += right;
    }
    if (movingLeft) {
        move += -right;
    }
    if (movingUp) {
        move += up;
    }
    if (movingDown) {
        move += -up;
    }
    const double length = move.length();
    if (length <= 0.0) {
        return {};
    }
    move /= length;
    move *= speed;
    return move * dt;
}

void Camera::update(double dt) {
    position += displacement(dt);
    // The dot product of two unit quaternions is the cosine of half the turn between them; its
    // sign does not matter, q and -q being the same orientation.
    const double cosine = orientation.w * targetOrientation.w +
                          orientation.x * targetOrientation.x +
                          orientation.y * targetOrientation.y + orientation.z * targetOrientation.z;
    if (std::abs(cosine) >= std::cos(SETTLED_ANGLE / 2.0)) {
        orientation = targetOrientation;
        return;
    }
    orientation = slerp(orientation, targetOrientation, ORIENTATION_BLEND);
    orientation.normalize();
}

bool Camera::isMoving() const {
    const bool flagged =
        movingForward || movingBackward || movingRight || movingLeft || movingUp || movingDown;
    return flagged || orientation.w != targetOrientation.w ||
           orientation.x != targetOrientation.x || orientation.y != targetOrientation.y ||
           orientation.z != targetOrientation.z;
}

LookAt Camera::viewLookAt() const {
    const Vector3 forward = rotate(orientation, localForward);
    return {position, position + forward, rotate(orientation, localUp)};
}
