#include "render/terrainMeshGl.h"

#include "render/materialGl.h"
#include "render/meshGeometry.h"
#include "render/ringColour.h"
#include "render/sceneOriginGl.h"

#include <GL/gl.h>

void drawTerrainMesh() {
    beginSceneQuads();
    // Neighbouring quadrilaterals mostly share a ring; a material call that would not change
    // the material is left out, which keeps the compiled list short and its replay fast.
    bool first = true;
    Float3 current{};
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            if (!quadHasGround(i, j)) {
                continue;
            }
            const Float3 colour = ringColour(meshCorners[i][j]);
            if (first || colour != current) {
                setDiffuse(colour);
                current = colour;
                first = false;
            }
            glNormal3fv(meshNormals[i][j].data());
            glVertex3fv(meshCorners[i][j].data());
            glVertex3fv(meshCorners[i][j + 1].data());
            glVertex3fv(meshCorners[i + 1][j + 1].data());
            glVertex3fv(meshCorners[i + 1][j].data());
        }
    }
    endSceneQuads();
}
