#include "camera/camera.h"

void Camera::applyView() const {}
