#pragma once
// The terrain surface as data: where every grid point is drawn, the quadrilateral of each cell
// with its face normal, and the ring colour each quadrilateral is shaded with.

#include "render/sceneInputs.h"
#include "terrain/sceneScale.h"
#include "terrain/terrainGrid.h"

#include <array>
#include <cstddef>
#include <cstdint>
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

// Cell (x, y) spans grid points (x, y) .. (x + 1, y + 1); corners are emitted in this order.
struct Quad {
    Float3 tLeft;  // (x, y)
    Float3 tRight; // (x, y + 1)
    Float3 bRight; // (x + 1, y + 1)
    Float3 bLeft;  // (x + 1, y)
    Float3 normal;
};

// The most quadrilaterals the mesh of a grid bigger than the built-in ground draws: one for
// every four pixels of the 500 x 500 view, more than the eye tells apart on ground that fills
// part of it. The software renderer spends a frame setting up triangles, and a whole big ground
// shows all of them where the built-in ground's first view leaves many outside; this keeps its
// frame, with its routes at full resolution, below one of the built-in ground.
constexpr std::size_t MAX_MESH_QUADS = 62500;

// 1 for a grid of no more cells than the built-in ground, which is drawn whole; for a bigger one
// the least k for which every k-th grid point along both indices gives at most MAX_MESH_QUADS
// quadrilaterals.
int meshStride(const GridShape& shape);

// True when cell (x, y) of a grid of `shape` has all four corners inside the grid.
bool hasQuad(const GridShape& shape, int x, int y);

// True when cell (x, y) has a quadrilateral and all four of its corners have ground: a cell
// touching ground without a height is never drawn, by the mesh or by an overlay.
bool isDrawnCell(const TerrainPositions& terrain, int x, int y);

// crossProduct(tLeft - tRight, tLeft - bLeft): points toward negative scene z for the mesh.
Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft);

// Scene position of grid point (x, y) of `terrain` drawn at `scale`, at full resolution.
Float3 scenePosition(const TerrainPositions& terrain, const SceneScale& scale, int x, int y);

// Which side of the ground the viewer looks from. The built-in view looks up at it from negative
// scene z, so its normals point that way and lifts are negative; a map looks down from above,
// where both turn round.
enum class ViewerSide { Below, Above };

// A normal or lift worked out for a viewer below, turned toward `side`.
inline Float3 towardViewer(ViewerSide side, const Float3& belowNormal) {
    return side == ViewerSide::Below ? belowNormal
                                     : Float3{-belowNormal[0], -belowNormal[1], -belowNormal[2]};
}
inline float towardViewer(ViewerSide side, float belowLift) {
    return side == ViewerSide::Below ? belowLift : -belowLift;
}

// The mesh's corners and normals depend only on the terrain, so they are computed once per
// ground and every scene rebuild only recomputes the colours. The mesh is drawn over every
// stride-th grid point: mesh point (i, j) is grid point (i * stride, j * stride), and the corners
// of mesh quadrilateral (i, j) are tLeft (i, j), tRight (i, j + 1), bRight (i + 1, j + 1) and
// bLeft (i + 1, j).
struct MeshGeometry {
    SceneScale scale;
    ViewerSide viewer = ViewerSide::Below; // normals face this way
    int stride = 1;
    int columns = 0;             // mesh points along the first index
    int rows = 0;                // and the second
    std::vector<Float3> corners; // scene positions, mesh point (i, j) at i * rows + j
    std::vector<Float3> normals; // face normals, quadrilateral (i, j) at i * (rows - 1) + j
    std::vector<uint8_t> drawn;  // 1 for a quadrilateral whose four corners have ground
    bool groundMissing = false;  // some cell of the grid has no ground

    const Float3& corner(int i, int j) const { return corners[std::size_t(i) * rows + j]; }
    const Float3& normal(int i, int j) const { return normals[std::size_t(i) * (rows - 1) + j]; }
};

// Fills `mesh` from `terrain`, its normals facing a viewer on `viewer`'s side; call whenever the
// ground changes.
void buildMeshGeometry(const TerrainPositions& terrain, MeshGeometry& mesh,
                       ViewerSide viewer = ViewerSide::Below);

constexpr Float3 UNREACHED_COLOUR = {1.0f, 0.0f, 0.0f};
constexpr Float3 BEYOND_RINGS_COLOUR = {1.0f, 1.0f, 1.0f};
constexpr Float3 BARRIER_COLOUR = {0.45f, 0.25f, 0.05f}; // brown: ground no route may use
// Slate: a drawn quadrilateral whose colour comes from a cell without ground beside it. Neither
// brown nor red, which say something of ground that is there.
constexpr Float3 NO_GROUND_COLOUR = {0.3f, 0.35f, 0.5f};
// Violet: the corridor of nearly-best routes, mixed this share into the ring shades it covers,
// so that the rings still show through it.
constexpr Float3 CORRIDOR_COLOUR = {0.6f, 0.3f, 0.9f};
constexpr float CORRIDOR_TINT_SHARE = 0.5f;

// Grey level (0..1) of ring `ring` out of `rings`: 1 for ring 0, darker by 1/rings per ring.
float ringLevel(int ring, float rings);

// Grey of the first ring (0, 1, 2, ...) below `rings` whose upper bound (ring + 1) * increment
// exceeds `cost`; white when none does. `rings` need not be whole; at most 100 or so in
// practice, since every ring is tried in turn.
Float3 ringGrey(float cost, float rings, float increment);

// Colour of the cell a scene position is drawn at (only x and y are read): the cell comes back
// through sceneToGridIndex, so about half of all indices take their predecessor's ring. Slate
// for a cell without ground, brown when a barrier closes it, red when the distance table never
// reached it (in every view mode), else the ring of the view mode's cost table and settings (the
// time view's in minutes), white
// for any other view mode or a cell outside the grid.
Float3 ringColour(const SceneInputs& in, const Float3& scenePosition);

// One quadrilateral of the mesh: its cell and the ring colour it is shaded with.
struct MeshQuad {
    int i;
    int j;
    Float3 colour;
};

// Every drawn quadrilateral of the mesh, i outer and j inner (mesh indices), each coloured by
// ringColour of its tLeft corner, which reads the full-resolution tables at that grid point.
// Needs buildMeshGeometry.
std::vector<MeshQuad> meshQuads(const SceneInputs& in);
