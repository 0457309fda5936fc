#pragma once
// The terrain surface as data: where every grid point is drawn, the quadrilateral of each cell
// with its face normal, and the ring colour each quadrilateral is shaded with.

#include "terrain/terrainGrid.h"

#include <array>
#include <vector>

// x, y, z (or red, green, blue); contiguous, so data() feeds the GL *3fv calls directly.
using Float3 = std::array<float, 3>;

// a - b, component by component.
Float3 subtract(const Float3& a, const Float3& b);

// Scales v in place to unit length. A zero vector prints "Error: Zero Length Vector\n" on
// standard output and is left unchanged.
void normalizeVector(Float3& v);

// a x b, normalised by normalizeVector.
Float3 crossProduct(const Float3& a, const Float3& b);

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

// True when cell (x, y) has a quadrilateral and all four of its corners have ground: a cell
// touching ground without a height is never drawn, by the mesh or by an overlay.
bool isDrawnCell(int x, int y);

// crossProduct(tLeft - tRight, tLeft - bLeft): points toward negative scene z for the mesh.
Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft);

// Scene position of grid point (x, y) from terrainVertices; 0 <= x, y < GRID_SIZE.
Float3 scenePosition(int x, int y);

// The mesh's corners and normals depend only on the terrain, so they are computed once and
// every scene rebuild only recomputes the colours. Scene position of every grid point; the
// corners of mesh cell (i, j) are tLeft (i, j), tRight (i, j + 1), bRight (i + 1, j + 1) and
// bLeft (i + 1, j).
extern Float3 meshCorners[GRID_SIZE][GRID_SIZE];

// Face normal of every mesh cell.
extern Float3 meshNormals[QUAD_CELLS][QUAD_CELLS];

// Fills both tables from terrainVertices; call after every buildTerrainVertices*.
void buildMeshGeometry();

constexpr Float3 UNREACHED_COLOUR = {1.0f, 0.0f, 0.0f};
constexpr Float3 BEYOND_RINGS_COLOUR = {1.0f, 1.0f, 1.0f};

// Grey level (0..1) of ring `ring` out of `rings`: 1 for ring 0, darker by 1/rings per ring.
float ringLevel(int ring, float rings);

// Grey of the first ring (0, 1, 2, ...) below `rings` whose upper bound (ring + 1) * increment
// exceeds `cost`; white when none does. `rings` need not be whole; at most 100 or so in
// practice, since every ring is tried in turn.
Float3 ringGrey(float cost, float rings, float increment);

// Colour of the cell a scene position is drawn at (only x and y are read): the cell comes back
// through sceneToGridIndex, so about half of all indices take their predecessor's ring. Red
// when the distance table never reached it (in every view mode), else the ring of the view
// mode's cost table and settings, white for any other view mode or a cell outside the grid.
Float3 ringColour(const Float3& scenePosition);

// One quadrilateral of the mesh: its cell and the ring colour it is shaded with.
struct MeshQuad {
    int i;
    int j;
    Float3 colour;
};

// Every drawn quadrilateral of the mesh (isDrawnCell), i outer and j inner, each coloured by
// ringColour of its tLeft corner. Needs buildMeshGeometry.
std::vector<MeshQuad> meshQuads();
