#pragma once
// Shading of the terrain by cost rings around the start cell.

#include "render/vectorOps.h"

constexpr Float3 UNREACHED_COLOUR = {1.0f, 0.0f, 0.0f};
constexpr Float3 BEYOND_RINGS_COLOUR = {1.0f, 1.0f, 1.0f};

// Grey of the first ring (0, 1, 2, ...) below `rings` whose upper bound (ring + 1) * increment
// exceeds `cost`: 1 for ring 0, darker by 1/rings per ring; white when none does. `rings` need
// not be whole; at most 100 or so in practice, since every ring is tried in turn.
Float3 ringGrey(float cost, float rings, float increment);

// Colour of the cell a scene position is drawn at (only x and y are read): the cell comes back
// through sceneToGridIndex, so about half of all indices take their predecessor's ring. Red
// when the distance table never reached it (in every view mode), else the ring of the view
// mode's cost table and settings, white for any other view mode or a cell outside the grid.
Float3 ringColour(const Float3& scenePosition);
