#include "terrain/terrainGrid.h"

TerrainPositions terrainVertices;

void buildTerrainVerticesFrom(const HeightGrid& heights) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            // Products in integers first so the stored metres are exact.
            terrainVertices[x][y] = {static_cast<float>(x * GRID_SPACING),
                                     static_cast<float>(y * GRID_SPACING),
                                     static_cast<float>(heights[x][y])};
        }
    }
}

void buildTerrainVerticesFromGround(const GroundHeights& heights) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            terrainVertices[x][y] = {static_cast<float>(x * GRID_SPACING),
                                     static_cast<float>(y * GRID_SPACING), heights[x][y]};
        }
    }
}

void buildTerrainVertices() {
    buildTerrainVerticesFrom(heightMap);
}
