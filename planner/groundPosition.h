#pragma once
// Where a grid cell lies on the ground, in the working coordinates of the loaded ground.

#include "terrain/groundReference.h"
#include "terrain/terrainGrid.h"

struct GroundPoint {
    double x; // metres east in the working coordinate system
    double y; // metres north
};

// Centre of cell (i, j): i grows east, j north, GRID_SPACING metres apart.
inline GroundPoint cellCentre(const GroundReference& ground, int i, int j) {
    return {ground.originX + static_cast<double>(GRID_SPACING) * i,
            ground.originY + static_cast<double>(GRID_SPACING) * j};
}
