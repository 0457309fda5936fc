// Taking a grid's heights, with each column's and row's position computed once, and the built-in
// heights as floats.

#include "terrain/terrainGrid.h"

#include <utility>

void TerrainPositions::assign(const GridShape& shape, std::vector<float> heights) {
    shape_ = shape;
    heights_ = std::move(heights);
    columnX_.resize(shape.columns);
    rowY_.resize(shape.rows);
    // Index times spacing in double, rounded once: exact for the built-in 30 m.
    for (int x = 0; x < shape.columns; ++x) {
        columnX_[x] = static_cast<float>(shape.spacing * x);
    }
    for (int y = 0; y < shape.rows; ++y) {
        rowY_[y] = static_cast<float>(shape.spacing * y);
    }
}

std::vector<float> builtInHeights() {
    std::vector<float> heights(GRID_CELLS);
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            heights[BUILT_IN_SHAPE.index(x, y)] = static_cast<float>(heightMap[x][y]);
        }
    }
    return heights;
}
