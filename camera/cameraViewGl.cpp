// The camera's view as a gluLookAt call, kept apart so that the camera itself needs no GL.

#include "camera/camera.h"

#include <GL/glu.h>

void Camera::applyView() const {
    const LookAt view = viewLookAt();
    gluLookAt(view.eye.x, view.eye.y, view.eye.z, view.centre.x, view.centre.y, view.centre.z,
              view.up.x, view.up.y, view.up.z);
}
