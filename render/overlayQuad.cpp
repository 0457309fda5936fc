#include "render/overlayQuad.h"

#include "render/scenePosition.h"

namespace {
Float3 offsetCorner(int x, int y, float dx, float dy) {
    const Float3 p = scenePosition(x, y);
    return {p[0] + dx, p[1] + dy, p[2] + OVERLAY_LIFT};
}
} // namespace

Quad overlayQuad(int x, int y) {
    Quad q;
    q.tLeft = offsetCorner(x, y, OVERLAY_INSET, OVERLAY_INSET);
    q.tRight = offsetCorner(x, y + 1, OVERLAY_INSET, -OVERLAY_INSET);
    q.bRight = offsetCorner(x + 1, y + 1, -OVERLAY_INSET, -OVERLAY_INSET);
    q.bLeft = offsetCorner(x + 1, y, -OVERLAY_INSET, OVERLAY_INSET);
    q.normal = faceNormal(q.tLeft, q.tRight, q.bLeft);
    return q;
}
