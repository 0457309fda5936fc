#include "render/scenePosition.h"

#include "terrain/sceneScale.h"
#include "terrain/terrainGrid.h"

Float3 scenePosition(int x, int y) {
    const TerrainVertex& v = terrainVertices[x][y];
    return {groundToScene(v.x), groundToScene(v.y), heightToScene(v.z)};
}
