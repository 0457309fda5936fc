#include "camera/camera.h"

Camera camera;

void Camera::pitch(double) {}
void Camera::yaw(double) {}
void Camera::roll(double) {}
void Camera::update(double) {}
