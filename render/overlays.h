#pragma once
// The overlays of the scene as plain data: which cells the least-distance route, the
// least-energy route, the fastest route and the straight line mark, the small quadrilateral that
// marks a cell, and the console report that goes with each overlay.

#include "planner/routeSummary.h"
#include "planner/routeTables.h"
#include "render/mesh.h"

#include <string>
#include <vector>

// The cells a move from `from` to `to` passes over between its two end cells, in order from
// `from`, each once: at each crossing of the move's line with a grid line, the nearer of the two
// grid points around it (the second when it lies halfway). A route of moves longer than one cell
// so reads as an unbroken chain of squares. None for a move of one cell, nor for an offset that
// is no move of any set.
std::vector<Cell> cellsAlongMove(const Cell& from, const Cell& to);

// Cells of the route read back from `previous`, from the end toward the start (the start
// excluded), with the cells along each move between them (cellsAlongMove), only those that are
// drawn (isDrawnCell). A broken chain stops where it leaves the grid or loops.
std::vector<Cell> routeCells(const TerrainPositions& terrain, const PreviousTable& previous,
                             const RouteEnds& ends);

// The drawn cells of a route given by its cells (start first), in the order routeCells gives a
// route read back from its table: from the end toward the start, the start excluded, with the
// cells along each move between them.
std::vector<Cell> drawnRouteCells(const TerrainPositions& terrain, const std::vector<Cell>& cells);

// Drawn cells of the straight line between two cells, x ascending: y = first.y + (x - first.x)
// * slope in float, truncated, with `first` the cell of lower x. A vertical line gives its
// column from the lower to the higher y.
std::vector<Cell> straightLineCells(const TerrainPositions& terrain, int startX, int startY,
                                    int endX, int endY);

constexpr float OVERLAY_INSET = 0.02f; // scene units, added toward the cell's far side
constexpr float OVERLAY_LIFT = -0.01f; // scene z; negative z faces the viewer
// On the built-in ground the inset, larger than a cell, turns each square inside out to three
// cells' width. A map's squares overlap their neighbours by half a cell, so a diagonal route stays
// one line, and are at least this many scene units wide on fine cells.
constexpr float MAP_OVERLAY_CELLS = 1.5f;
constexpr float MAP_OVERLAY_MIN_WIDTH = 0.03f;

// The inset of the overlay squares: OVERLAY_INSET on the built-in view, on a map the negative
// inset that centres a square of MAP_OVERLAY_CELLS cells, at least MAP_OVERLAY_MIN_WIDTH wide.
float overlayInset(const SceneInputs& in);

constexpr Float3 distanceRouteColour = {0.0f, 0.0f, 1.0f};
constexpr Float3 energyRouteColour = {0.0f, 1.0f, 0.0f};
constexpr Float3 straightLineColour = {0.0f, 1.0f, 1.0f};
constexpr Float3 timeRouteColour = {1.0f, 1.0f, 0.0f}; // yellow, apart from the markers' amber

// Overlay quadrilateral of cell (x, y): the mesh corners, each x and y moved by overlayInset
// (+ for the near grid line, - for the far one) and lifted by OVERLAY_LIFT. hasQuad(x, y).
Quad overlayQuad(const SceneInputs& in, int x, int y);

struct Overlay {
    std::vector<Cell> cells; // cells to mark, in drawing order; all are drawn cells
    Float3 colour;
    std::string report; // console text that goes with drawing it
};

// Least-distance route from the end cell back to the start, or no cells and the unreachable
// message when the end cell has no distance.
Overlay distanceRouteOverlay(const SceneInputs& in);

// Least-energy route, likewise.
Overlay energyRouteOverlay(const SceneInputs& in);

// Least-time route, likewise.
Overlay timeRouteOverlay(const SceneInputs& in);

// Straight line between the start and end cells with its length report, and after it on loaded
// ground the word on an end no route reaches. Through via points, the line runs through each in
// turn and its length is the sum of its pieces'.
Overlay straightLineOverlay(const SceneInputs& in);

// On loaded ground whose end the plan does not reach, why (unreachableEndLine); else empty.
std::string unreachableEndNote(const SceneInputs& in);
