#pragma once
// Mouse drags turn the camera. Where a press lands picks the drag mode: inside the central
// circle drags yaw and pitch, in a corner outside it they roll, in a sense set by the corner.

class Camera;

enum DragMode : int {
    RollUpperRight = 0,
    RollLowerRight = 1,
    RollLowerLeft = 2,
    RollUpperLeft = 3,
    YawPitch = 4,
};

constexpr int MOUSE_PRESSED = 0;                 // button state of a press (GLUT_DOWN)
constexpr double DRAG_RADIANS_PER_PIXEL = 0.005; // camera turn per pixel dragged

// One window's drag: the last position seen by a button event or a drag (pixels, y downwards)
// and the mode the last press picked.
struct MouseDrag {
    int lastMouseX = 0;
    int lastMouseY = 0;
    // A DragMode; kept as an int because any other value makes drags do nothing.
    int dragMode = RollUpperRight;
};

// Mode for a press at window pixel (x, y) of a width x height window; a press exactly on the
// circle or outside it on a centre line keeps `previousMode`.
int classifyPress(int x, int y, int width, int height, int previousMode);

// A button event in GLUT terms: remembers the position, and on a press picks the drag mode
// against a width x height window (the caller's nominal size, whatever the window's real size).
void onMouseButton(MouseDrag& drag, int state, int x, int y, int width, int height);

// A drag to window pixel (x, y): turns `camera` by the pixels moved since the last event, as
// drag.dragMode says, and remembers the position.
void onMouseDrag(MouseDrag& drag, Camera& camera, int x, int y);
