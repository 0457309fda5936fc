#pragma once
// The window's own state, one for the program's one window: the drag going on. GLUT's callbacks
// carry no user data, so they reach it here and hand its parts to the plain code as arguments.

#include "camera/mouseDrag.h"

struct WindowState {
    MouseDrag drag;
};

extern WindowState windowState;
