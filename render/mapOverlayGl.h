#pragma once
// The scale bar and north arrow drawn over the 3-D view, in window pixels, so that they read the
// same from any camera position.

#include "render/sceneGl.h"

// Draws both into the bottom-left corner of the view, measured through the matrices the mesh was
// drawn with in this frame at the middle of the ground.
void drawMapOverlay(const SceneGlState& gl, const SceneInputs& in);
