#pragma once
// The small flat quadrilateral that marks one cell of a route or of the straight line.

#include "render/quad.h"

constexpr float OVERLAY_INSET = 0.02f; // scene units, added toward the cell's far side
constexpr float OVERLAY_LIFT = -0.01f; // scene z; negative z faces the viewer

constexpr Float3 distanceRouteColour = {0.0f, 0.0f, 1.0f};
constexpr Float3 energyRouteColour = {0.0f, 1.0f, 0.0f};
constexpr Float3 straightLineColour = {0.0f, 1.0f, 1.0f};

// Overlay quadrilateral of cell (x, y): the mesh corners, each x and y moved by OVERLAY_INSET
// (+ for the near grid line, - for the far one) and lifted by OVERLAY_LIFT. hasQuad(x, y).
Quad overlayQuad(int x, int y);
