// Classifying a press by where it lands in the window, and turning a drag's pixel steps into yaw
// and pitch or into roll.

#include "camera/mouseDrag.h"

#include "camera/camera.h"

namespace {
constexpr double CIRCLE_RADIUS_SQUARED = 0.25; // radius 0.5 in window-relative units
} // namespace

int classifyPress(int x, int y, int width, int height, int previousMode) {
    const double nx = static_cast<double>(x) / width - 0.5;
    const double ny = static_cast<double>(y) / height - 0.5;
    if (nx * nx + ny * ny < CIRCLE_RADIUS_SQUARED) {
        return YawPitch;
    }
    if (nx > 0.0 && ny > 0.0) {
        return RollLowerRight;
    }
    if (nx > 0.0 && ny < 0.0) {
        return RollUpperRight;
    }
    if (nx < 0.0 && ny > 0.0) {
        return RollLowerLeft;
    }
    if (nx < 0.0 && ny < 0.0) {
        return RollUpperLeft;
    }
    return previousMode;
}

void onMouseButton(MouseDrag& drag, int state, int x, int y, int width, int height) {
    drag.lastMouseX = x;
    drag.lastMouseY = y;
    if (state != MOUSE_PRESSED) {
        return;
    }
    drag.dragMode = classifyPress(x, y, width, height, drag.dragMode);
}

void onMouseDrag(MouseDrag& drag, Camera& camera, int x, int y) {
    // Previous minus current: dragging right or down gives negative values.
    const int dx = drag.lastMouseX - x;
    const int dy = drag.lastMouseY - y;
    const double s = DRAG_RADIANS_PER_PIXEL;
    switch (drag.dragMode) {
    case RollUpperRight:
        camera.roll(-(dx + dy) * s);
        break;
    case RollLowerRight:
        camera.roll((dx - dy) * s);
        break;
    case RollLowerLeft:
        camera.roll((dx + dy) * s);
        break;
    case RollUpperLeft:
        camera.roll((dy - dx) * s);
        break;
    case YawPitch:
        camera.pitch(dy * s);
        camera.yaw(dx * s);
        break;
    default:
        break;
    }
    drag.lastMouseX = x;
    drag.lastMouseY = y;
}
