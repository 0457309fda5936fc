#include "camera/mouseDrag.h"

#include "app/currentRun.h" // until the drag state is passed in
#include "camera/camera.h"

int lastMouseX = 0;
int lastMouseY = 0;
int dragMode = RollUpperRight;

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

void onMouseButton(int state, int x, int y) {
    lastMouseX = x;
    lastMouseY = y;
    if (state != MOUSE_PRESSED) {
        return;
    }
    dragMode = classifyPress(x, y, settings.windowWidth, settings.windowHeight, dragMode);
}

void onMouseDrag(Camera& camera, int x, int y) {
    // Previous minus current: dragging right or down gives negative values.
    const int dx = lastMouseX - x;
    const int dy = lastMouseY - y;
    const double s = DRAG_RADIANS_PER_PIXEL;
    switch (dragMode) {
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
    lastMouseX = x;
    lastMouseY = y;
}
