#pragma once
// The frame: view, light and scene transform, the compiled scene list drawn from the scene
// data, and the pixel-to-cell probe that picking and hovering use.

#include "render/scene.h"

#include <optional>

// GLUT display callback: draws one frame, rebuilding the scene list when sceneDirty is set,
// then runs the after-scene hook, then swaps.
void display();

// GLUT reshape callback: viewport and perspective of the view, the window less the panel's strip.
void reshape(int width, int height);

// Width of the 3-D view in pixels, as the last reshape left it.
int viewWidth();

// Camera view followed by the fixed look-at and offsets.
void setupView();

// Light 0, positional, at the origin of the view transform.
void setupLight();

// settings.sceneOffset, then settings.sceneRotation about x, y and z (degrees); remembers the
// matrices the mesh is drawn with, for cellUnderPixel.
void applySceneTransform();

// Replaces sceneList by a new list compiled and executed at once, so this frame already shows
// it, and clears sceneDirty. Prints the route reports.
void rebuildSceneList();

// The scene the current list was compiled from.
const Scene& currentScene();

// Runs in every frame after the scene is drawn and before the buffers swap.
void setAfterSceneHook(void (*hook)());

// The cell drawn under window pixel (x, y) (GLUT's convention, y downwards) in the frame being
// drawn: the depth read back and unprojected with the matrices the mesh was drawn with.
// Nothing off the ground. Call after the scene is drawn and before the buffers swap.
std::optional<Cell> cellUnderPixel(int x, int y);
