#pragma once
// The three overlays of the scene as plain data, read from the settings and the route tables:
// the GL layer only emits them and prints their reports.

#include "render/overlayCells.h"
#include "render/vectorOps.h"

#include <string>
#include <vector>

struct Overlay {
    std::vector<Cell> cells; // cells to mark, in drawing order; all have a quadrilateral
    Float3 colour;
    std::string report; // console text that goes with drawing it
};

// Least-distance route from the end cell back to the start, or no cells and the unreachable
// message when the end cell has no distance.
Overlay distanceRouteOverlay();

// Least-energy route, likewise.
Overlay energyRouteOverlay();

// Straight line between the start and end cells with its length report.
Overlay straightLineOverlay();
