#include "app/windowState.h"

// Built before main, so the timer and the callbacks find the camera in its start pose.
WindowState windowState;

Camera& camera = windowState.camera;
bool& sceneDirty = windowState.scene.sceneDirty;
