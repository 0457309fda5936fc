#pragma once
// The window's own state, one for the program's one window: the camera that keys, drags and the
// timer move, the drag going on, the scene's GL state and the panel's. GLUT's callbacks carry no
// user data, so they reach it here and hand its parts to the plain code as arguments.

#include "app/panelGl.h"
#include "camera/camera.h"
#include "camera/mouseDrag.h"
#include "render/sceneGl.h"

struct WindowState {
    Camera camera;
    MouseDrag drag;
    SceneGlState scene;
    PanelState panel;
};

extern WindowState windowState;

// The keyboard commands' names for the window's camera and for asking the next frame to
// rebuild the scene list.
extern Camera& camera;
extern bool& sceneDirty;
