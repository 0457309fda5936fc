#pragma once
// The surveyed ground: a square grid of whole-metre heights and the world position of every
// grid point. Tables are indexed [first index x][second index y], row-major with x outermost.

#include <cmath>
#include <cstdint>

constexpr int GRID_SIZE = 365;   // grid points per side
constexpr int GRID_SPACING = 30; // metres between neighbouring grid points
constexpr int GRID_CELLS = GRID_SIZE * GRID_SIZE;

// World position of one grid point, metres. x and y are exact multiples of GRID_SPACING.
struct TerrainVertex {
    float x;
    float y;
    float z;
};

using HeightGrid = int32_t[GRID_SIZE][GRID_SIZE];

// World positions of every grid point, as the planners and the mesh read them.
using TerrainPositions = TerrainVertex[GRID_SIZE][GRID_SIZE];

// Heights of loaded ground in whole metres, NaN where a cell has no ground.
using GroundHeights = float[GRID_SIZE][GRID_SIZE];

// Heights in whole metres (4..194), compiled in from data/heights.txt. Never written.
extern const HeightGrid heightMap;

// World positions of every grid point; filled once at start-up.
extern TerrainPositions terrainVertices;

// Fills terrainVertices from heightMap. Every coordinate is exact.
void buildTerrainVertices();

// Fills terrainVertices from any height grid; lets tools and tests plan over other ground.
void buildTerrainVerticesFrom(const HeightGrid& heights);

// Fills terrainVertices from loaded ground; a NaN height stays NaN.
void buildTerrainVerticesFromGround(const GroundHeights& heights);

inline bool isInsideGrid(int x, int y) {
    return x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE;
}

// A cell without ground (outside a loaded raster, or nodata there) has a NaN height: every step
// to or from it fails the grade test, so no planner enters or leaves it.
inline bool hasGround(const TerrainVertex& v) {
    return !std::isnan(v.z);
}
