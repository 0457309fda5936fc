#pragma once
// The surveyed ground: a grid of heights (NaN where a cell has no ground) and the world position
// of every grid point. The built-in ground is 365 x 365 whole-metre heights 30 m apart; loaded
// ground takes its size and spacing from the raster.

#include "terrain/gridShape.h"

#include <cmath>
#include <cstdint>
#include <vector>

// World position of one grid point, metres.
struct TerrainVertex {
    float x;
    float y;
    float z;
};

using HeightGrid = int32_t[GRID_SIZE][GRID_SIZE];

// Heights in whole metres (4..194), compiled in from data/heights.txt. Never written.
extern const HeightGrid heightMap;

// Positions of every grid point of one ground: x = spacing * first index and y = spacing *
// second index (each rounded to float once), z the height. Positions are computed from the
// heights on reading, so a grid of millions of cells keeps only its heights.
class TerrainPositions {
  public:
    // One column of the grid: positions[x][y].
    class Column {
      public:
        Column(const TerrainPositions& grid, int x) : grid_(grid), x_(x) {}
        TerrainVertex operator[](int y) const { return grid_.at(x_, y); }

      private:
        const TerrainPositions& grid_;
        int x_;
    };

    // Takes the heights (x-major, metres, NaN for no ground) of a grid of `shape`.
    void assign(const GridShape& shape, std::vector<float> heights);

    const GridShape& shape() const { return shape_; }
    const std::vector<float>& heights() const { return heights_; }
    float columnX(int x) const { return columnX_[x]; }
    float rowY(int y) const { return rowY_[y]; }
    float height(int x, int y) const { return heights_[shape_.index(x, y)]; }
    TerrainVertex at(int x, int y) const { return {columnX_[x], rowY_[y], height(x, y)}; }
    Column operator[](int x) const { return Column(*this, x); }

  private:
    GridShape shape_{0, 0, GRID_SPACING};
    std::vector<float> heights_;
    std::vector<float> columnX_; // metres east of cell column 0, per column
    std::vector<float> rowY_;    // metres north of row 0, per row
};

// The built-in heights as floats, x-major.
std::vector<float> builtInHeights();

// A cell without ground (outside a loaded raster, or nodata there) has a NaN height: every step
// to or from it fails the grade test, so no planner enters or leaves it.
inline bool hasGround(const TerrainVertex& v) {
    return !std::isnan(v.z);
}
