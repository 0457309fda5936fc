#include "render/routeOverlayGl.h"

#include "render/materialGl.h"
#include "render/overlay.h"
#include "render/overlayQuad.h"
#include "render/sceneOriginGl.h"

#include <GL/gl.h>
#include <cstdio>

namespace {
void drawOverlay(const Overlay& overlay) {
    beginSceneQuads();
    for (const Cell& cell : overlay.cells) {
        if (!quadHasGround(cell.x, cell.y)) {
            continue;
        }
        const Quad q = overlayQuad(cell.x, cell.y);
        setDiffuse(overlay.colour);
        glNormal3fv(q.normal.data());
        glVertex3fv(q.tLeft.data());
        glVertex3fv(q.tRight.data());
        glVertex3fv(q.bRight.data());
        glVertex3fv(q.bLeft.data());
    }
    endSceneQuads();
    std::fputs(overlay.report.c_str(), stdout);
    std::fflush(stdout);
}
} // namespace

void drawDistanceRoute() {
    drawOverlay(distanceRouteOverlay());
}

void drawEnergyRoute() {
    drawOverlay(energyRouteOverlay());
}

void drawStraightLine() {
    drawOverlay(straightLineOverlay());
}
