#pragma once
// Where the model grid lies on the ground: the working coordinate system and the position of
// cell (0, 0) in it. Cell (i, j) of a grid of spacing s (GridShape::spacing) is centred at
// (originX + i * s, originY + j * s); the first index grows east, the second north.

#include "terrain/gridShape.h"

#include <string>

struct GroundReference {
    std::string crsWkt;   // empty: the built-in ground, or a raster without a coordinate system
    double originX = 0.0; // metres, working coordinates of the centre of cell (0, 0)
    double originY = 0.0;
    std::string sourceCrsWkt; // the raster's own system, in which --from, --to and --centre are
                              // given; empty when it is the working one or there is none
};
