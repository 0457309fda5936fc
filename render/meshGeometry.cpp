#include "render/meshGeometry.h"

#include "render/scenePosition.h"

Float3 meshCorners[GRID_SIZE][GRID_SIZE];
Float3 meshNormals[QUAD_CELLS][QUAD_CELLS];

void buildMeshGeometry() {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            meshCorners[x][y] = scenePosition(x, y);
        }
    }
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            meshNormals[i][j] =
                faceNormal(meshCorners[i][j], meshCorners[i][j + 1], meshCorners[i + 1][j]);
        }
    }
}
