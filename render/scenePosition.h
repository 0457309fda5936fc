#pragma once
// Where a grid point is drawn, in scene units.

#include "render/vectorOps.h"

// Scene position of grid point (x, y) from terrainVertices; 0 <= x, y < GRID_SIZE.
Float3 scenePosition(int x, int y);
