#include "render/quad.h"

Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft) {
    return crossProduct(subtract(tLeft, tRight), subtract(tLeft, bLeft));
}

bool quadHasGround(int x, int y) {
    return hasGround(terrainVertices[x][y]) && hasGround(terrainVertices[x][y + 1]) &&
           hasGround(terrainVertices[x + 1][y + 1]) && hasGround(terrainVertices[x + 1][y]);
}
