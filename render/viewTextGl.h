#pragma once
// A line of text drawn over the 3-D view, in window pixels, whatever the camera does: how far a
// plan has come while the view waits for it.

#include "render/sceneGl.h"

#include <string>

// Draws `line` in a dark box near the top-left corner of the view; leaves the GL state as it was.
void drawViewText(const SceneGlState& gl, const std::string& line);
