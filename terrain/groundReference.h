#pragma once
// Where the model grid lies on the ground: the working coordinate system and the position of
// cell (0, 0) in it. Cell (i, j) is centred at (originX + i * GRID_SPACING, originY + j *
// GRID_SPACING); the first index grows east, the second north.

#include <string>

struct GroundReference {
    std::string crsWkt;   // empty: the built-in ground, or a raster without a coordinate system
    double originX = 0.0; // metres, working coordinates of the centre of cell (0, 0)
    double originY = 0.0;
};

// The ground now loaded; the built-in ground lies at the origin of a local metre grid.
extern GroundReference groundReference;
