#pragma once
// One drawn quadrilateral over a grid cell: four corners in scene units and its face normal.

#include "render/vectorOps.h"
#include "terrain/terrainGrid.h"

// Cells per side that own a quadrilateral: the last row and column are only far corners.
constexpr int QUAD_CELLS = GRID_SIZE - 1;

// Cell (x, y) spans grid points (x, y) .. (x + 1, y + 1); corners are emitted in this order.
struct Quad {
    Float3 tLeft;  // (x, y)
    Float3 tRight; // (x, y + 1)
    Float3 bRight; // (x + 1, y + 1)
    Float3 bLeft;  // (x + 1, y)
    Float3 normal;
};

// True when cell (x, y) has all four corners inside the grid.
inline bool hasQuad(int x, int y) {
    return x >= 0 && x < QUAD_CELLS && y >= 0 && y < QUAD_CELLS;
}

// True when all four corners of cell (x, y) have ground; hasQuad(x, y). Nothing is drawn over
// a cell without it, so loaded ground shows holes where the raster has none.
bool quadHasGround(int x, int y);

// crossProduct(tLeft - tRight, tLeft - bLeft): points toward negative scene z for the mesh.
Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft);
