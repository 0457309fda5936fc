#include "render/terrainMeshGl.h"

#include "render/materialGl.h"
#include "render/meshGeometry.h"
#include "render/ringColour.h"
#include "render/sceneOriginGl.h"

#include <GL/gl.h>

void drawTerrainMesh() {
    beginSceneQuads();
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            setDiffuse(ringColour(meshCorners[i][j]));
            glNormal3fv(meshNormals[i][j].data());
            glVertex3fv(meshCorners[i][j].data());
            glVertex3fv(meshCorners[i][j + 1].data());
            glVertex3fv(meshCorners[i + 1][j + 1].data());
            glVertex3fv(meshCorners[i + 1][j].data());
        }
    }
    endSceneQuads();
}
