#pragma once
// The start and end cells as markers over the ground: small squares that every view shows,
// however far the route and the line around them are drawn or hidden; a via point's square is
// numbered with its place in the trip.

#include "render/mesh.h"
#include "render/overlays.h"
#include "terrain/settings.h"

#include <vector>

// Colours no ring, route or line uses, so a marker never reads as any of them.
constexpr Float3 START_MARKER_COLOUR = {1.0f, 0.0f, 1.0f}; // magenta
constexpr Float3 END_MARKER_COLOUR = {1.0f, 0.7f, 0.0f};   // amber
constexpr Float3 VIA_MARKER_COLOUR = {0.6f, 0.3f, 1.0f};   // violet

// A marker spans the marked cell and this many cells on every side: wide enough to show when
// the whole grid is in view, narrow enough to leave the route's shape around it.
constexpr int MARKER_REACH = 2;
// Toward the viewer (negative scene z) from the nearest ground it covers, past the overlays.
constexpr float MARKER_LIFT = -0.02f;

struct Marker {
    Cell cell;
    Float3 colour;
    Quad quad;
    int number = 0; // a via point's place in the trip, from 1, written on it; 0 for no number
};

// The flat square over grid points x - reach .. x + 1 + reach (and y likewise, clamped to the
// grid), reach being MARKER_REACH times the mesh's stride, MARKER_LIFT in front of the nearest
// of those points with ground. Nothing when none of them has ground or (x, y) is off the grid.
std::vector<Marker> cellMarker(const SceneInputs& in, int x, int y, const Float3& colour);

// The start marker (one for each of several starts), then the end marker, of the settings' cells;
// then a trip's via points' markers in order, each numbered, or the end's of each further
// destination.
std::vector<Marker> startAndEndMarkers(const SceneInputs& in);
