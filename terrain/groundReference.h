#pragma once
// Where the model grid lies on the ground: the working coordinate system, the position of cell
// (0, 0) in it and the spacing of the cells. Cell (i, j) is centred at (originX + i * spacing,
// originY + j * spacing); the first index grows east, the second north.

#include "terrain/gridShape.h"

#include <string>

struct GroundReference {
    std::string crsWkt;   // empty: the built-in ground, or a raster without a coordinate system
    double originX = 0.0; // metres, working coordinates of the centre of cell (0, 0)
    double originY = 0.0;
    double spacing = GRID_SPACING; // metres between neighbouring cell centres
    std::string sourceCrsWkt; // the raster's own system, in which --from, --to and --centre are
                              // given; empty when it is the working one or there is none
};
