#pragma once
// The terrain mesh's corners and normals depend only on the terrain, so they are computed once
// and every scene rebuild only recomputes the colours.

#include "render/quad.h"

// Scene position of every grid point; the corners of mesh cell (i, j) are entries
// tLeft (i, j), tRight (i, j + 1), bRight (i + 1, j + 1) and bLeft (i + 1, j).
extern Float3 meshCorners[GRID_SIZE][GRID_SIZE];

// Face normal of every mesh cell.
extern Float3 meshNormals[QUAD_CELLS][QUAD_CELLS];

// Fills both tables from terrainVertices; call after every buildTerrainVertices*.
void buildMeshGeometry();
