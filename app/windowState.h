#pragma once
// The window's own state, one for the program's one window: the camera that keys, drags and the
// timer move, the drag going on, the scene's GL state and the panel's, the pick and the picture
// waiting for the next frame, and the watch on the window's existence. GLUT's callbacks carry no
// user data, so they reach it here and hand its parts to the plain code as arguments.

#include "app/inputGl.h"
#include "app/panelGl.h"
#include "app/windowWatchGl.h"
#include "camera/camera.h"
#include "camera/mouseDrag.h"
#include "render/sceneGl.h"

#include <optional>

struct WindowState {
    Camera camera;
    MouseDrag drag;
    SceneGlState scene;
    PanelState panel;
    std::optional<PendingPick> pendingPick;
    bool pictureAsked = false; // the next frame's view is to be written
    WindowWatch watch;
};

extern WindowState windowState;

// The keyboard commands' names for the window's camera and for asking the next frame to
// rebuild the scene list.
extern Camera& camera;
extern bool& sceneDirty;
