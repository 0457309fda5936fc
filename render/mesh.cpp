#include "render/mesh.h"

#include "planner/routeTables.h"
#include "terrain/sceneScale.h"
#include "terrain/settings.h"

#include <cmath>
#include <cstdio>

Float3 subtract(const Float3& a, const Float3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

void normalizeVector(Float3& v) {
    // The sum is rounded to float before the single-precision root.
    const float squared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    const float length = std::sqrt(squared);
    if (length == 0.0f) {
        std::printf("Error: Zero Length Vector\n");
        std::fflush(stdout);
        return;
    }
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

Float3 crossProduct(const Float3& a, const Float3& b) {
    Float3 out = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    normalizeVector(out);
    return out;
}

bool isDrawnCell(int x, int y) {
    return hasQuad(x, y) && hasGround(terrainVertices[x][y]) &&
           hasGround(terrainVertices[x][y + 1]) && hasGround(terrainVertices[x + 1][y + 1]) &&
           hasGround(terrainVertices[x + 1][y]);
}

Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft) {
    return crossProduct(subtract(tLeft, tRight), subtract(tLeft, bLeft));
}

Float3 scenePosition(int x, int y) {
    const TerrainVertex& v = terrainVertices[x][y];
    return {groundToScene(v.x), groundToScene(v.y), heightToScene(v.z)};
}

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

namespace {
constexpr float FULL_LEVEL = 255.0f; // grey levels are fractions of this
} // namespace

float ringLevel(int ring, float rings) {
    return (FULL_LEVEL - ring * (FULL_LEVEL / rings)) / FULL_LEVEL;
}

Float3 ringGrey(float cost, float rings, float increment) {
    for (int ring = 0; ring < rings; ++ring) {
        if (cost < (ring + 1) * increment) {
            const float level = ringLevel(ring, rings);
            return {level, level, level};
        }
    }
    return BEYOND_RINGS_COLOUR;
}

Float3 ringColour(const Float3& scenePosition) {
    const int x = sceneToGridIndex(scenePosition[0]);
    const int y = sceneToGridIndex(scenePosition[1]);
    if (!isInsideGrid(x, y)) {
        return BEYOND_RINGS_COLOUR;
    }
    if (distanceTable[x][y] == UNREACHED_COST) {
        return UNREACHED_COLOUR;
    }
    switch (settings.viewMode) {
    case Distance:
        return ringGrey(distanceTable[x][y], settings.distanceRings, settings.distanceIncrement);
    case Energy:
        return ringGrey(energyTable[x][y], settings.energyRings, settings.energyIncrement);
    }
    return BEYOND_RINGS_COLOUR;
}

std::vector<MeshQuad> meshQuads() {
    std::vector<MeshQuad> quads;
    quads.reserve(QUAD_CELLS * QUAD_CELLS);
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            if (isDrawnCell(i, j)) {
                quads.push_back({i, j, ringColour(meshCorners[i][j])});
            }
        }
    }
    return quads;
}
