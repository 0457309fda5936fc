#pragma once
// A line of text drawn over the 3-D view, in window pixels, whatever the camera does: how far a
// plan has come while the view waits for it.

#include "render/sceneGl.h"

#include <string>

// Between these two, drawing is in the window pixels of `viewport` (x, y, width, height), over
// the scene: no depth test, no lighting. The end gives back the matrices and state of before.
void beginPixelOverlay(const int* viewport);
void endPixelOverlay();

// Draws `line` in a dark box near the top-left corner of the view; leaves the GL state as it was.
void drawViewText(const SceneGlState& gl, const std::string& line);
