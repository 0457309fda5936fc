#pragma once
// Where a cell lies on the loaded ground, for the panel: the cell under the cursor, and the
// start and end cells given as longitude/latitude.

#include "terrain/gridShape.h"
#include "terrain/groundReference.h"

#include <optional>
#include <string>

// The centre of cell (x, y) in the ground's working coordinates (metres), then its longitude
// and latitude when the ground has a coordinate system; one fact a line.
std::string cellPlaceReport(int x, int y);

// A point on WGS 84, degrees.
struct LonLat {
    double lon;
    double lat;
};

// Longitude/latitude of the start and end.
struct EndsLonLat {
    LonLat start;
    LonLat end;
};

// The longitude/latitude of the centres of the start and end cells on the ground `reference`
// places with cells of `spacing`; none on ground without a coordinate system, or when a centre
// cannot be transformed.
std::optional<EndsLonLat> endsLonLat(const GroundReference& reference, double spacing,
                                     const RouteEnds& cells);

// The cells of `shape` holding the start and end of `ends` into `cells`. Returns an empty text,
// or the one line naming the end that cannot be placed or lies off the ground.
std::string cellsAtLonLat(const GroundReference& reference, const GridShape& shape,
                          const EndsLonLat& ends, RouteEnds& cells);
