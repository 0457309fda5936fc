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

// Last window position seen by a button event or a drag (pixels, y downwards); start at 0.
extern int lastMouseX;
extern int lastMouseY;
// A DragMode; kept as an int because any other value makes drags do nothing. Starts at 0.
extern int dragMode;

// Mode for a press at window pixel (x, y) of a width x height window; a press exactly on the
// circle or outside it on a centre line keeps `previousMode`.
int classifyPress(int x, int y, int width, int height, int previousMode);

// A button event in GLUT terms: remembers the position, and on a press picks the drag mode
// against the nominal window size in `settings`, whatever the window's real size.
void onMouseButton(int state, int x, int y);

// A drag to window pixel (x, y): turns `camera` by the pixels moved since the last event, as the
// current dragMode says, and remembers the position.
void onMouseDrag(Camera& camera, int x, int y);
