#pragma once
// Where a grid cell lies on the ground, in the working coordinates of the loaded ground.

#include "terrain/groundReference.h"

#include <cmath>
#include <optional>

struct GroundPoint {
    double x; // metres east in the working coordinate system
    double y; // metres north
};

// Centre of cell (i, j): i grows east, j north, spacing metres apart.
inline GroundPoint cellCentre(const GroundReference& ground, double spacing, int i, int j) {
    return {ground.originX + spacing * i, ground.originY + spacing * j};
}

// The cell of `shape` whose square holds the working point (x, y), or nothing off the grid.
inline std::optional<Cell> cellHolding(const GroundReference& ground, const GridShape& shape,
                                       double x, double y) {
    const double i = std::floor((x - ground.originX) / shape.spacing + 0.5);
    const double j = std::floor((y - ground.originY) / shape.spacing + 0.5);
    if (!(i >= 0 && j >= 0 && i < shape.columns && j < shape.rows)) {
        return std::nullopt;
    }
    return Cell{static_cast<int>(i), static_cast<int>(j)};
}
