// The map overlay: the middle of the ground and two points a little east and north of it are
// projected as the mesh was drawn; their distances on the screen give the scale and the way
// north points. Drawn flat over the frame with lighting and depth off.

#include "render/mapOverlayGl.h"

#include "render/mapScale.h"
#include "render/viewTextGl.h"
#include "terrain/sceneScale.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cmath>

namespace {
constexpr double BAR_ROOM = 120.0; // pixels the scale bar may take
constexpr float MARGIN = 12.0f;    // pixels from the view's edges
constexpr float BAR_HEIGHT = 5.0f; // pixels
constexpr float ARROW_LENGTH = 24.0f;
constexpr float ARROW_HEAD = 7.0f;
constexpr float BOX_PAD = 6.0f;
constexpr float TEXT_GAP = 6.0f;
constexpr float ARROW_GAP = 8.0f;    // between the bar and the arrow's room
constexpr float LETTER_ROOM = 16.0f; // for the "N" past the arrow's tip
constexpr float BOX_GREY = 0.1f;
constexpr float INK_GREY = 1.0f;
constexpr int PROBE_CELLS = 10; // how far east and north the probes lie

struct Projected {
    bool ok;
    double x, y;
};

Projected project(const MeshMatrices& m, const Float3& p) {
    GLdouble x = 0.0, y = 0.0, z = 0.0;
    const bool ok = gluProject(p[0], p[1], p[2], m.modelview, m.projection, m.viewport, &x, &y,
                               &z) == GL_TRUE &&
                    z > 0.0 && z < 1.0;
    return {ok, x, y};
}

void text(float x, float y, const std::string& s) {
    glRasterPos2f(x, y);
    glutBitmapString(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(s.c_str()));
}
} // namespace

void drawMapOverlay(const SceneGlState& gl, const SceneInputs& in) {
    const GridShape& shape = in.terrain.shape();
    const SceneScale& scale = in.mesh.scale;
    Float3 centre = scenePosition(in.terrain, scale, shape.columns / 2, shape.rows / 2);
    if (std::isnan(centre[2])) {
        centre[2] = 0.0f;
    }
    const float step = groundToScene(scale, static_cast<float>(PROBE_CELLS * shape.spacing));
    const Projected c = project(gl.meshMatrices, centre);
    const Projected east = project(gl.meshMatrices, {centre[0] + step, centre[1], centre[2]});
    const Projected north = project(gl.meshMatrices, {centre[0], centre[1] + step, centre[2]});
    if (!c.ok || !east.ok || !north.ok) {
        return; // the middle of the ground is behind the eye: nothing to measure
    }
    const double pixelsPerMetre =
        std::hypot(east.x - c.x, east.y - c.y) / (PROBE_CELLS * shape.spacing);
    const ScaleBar bar = scaleBar(pixelsPerMetre, BAR_ROOM);
    const std::array<double, 2> up = screenDirection(c.x, c.y, north.x, north.y);

    const GLint* viewport = gl.meshMatrices.viewport;
    beginPixelOverlay(viewport);
    const float barWidth = static_cast<float>(bar.pixels);
    const float labelWidth = static_cast<float>(glutBitmapLength(
        GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(bar.label.c_str())));
    const float boxRight =
        MARGIN + std::fmax(barWidth + TEXT_GAP + labelWidth, 2.0f * ARROW_LENGTH) + 2.0f * BOX_PAD;
    const float boxTop = MARGIN + 2.0f * BOX_PAD + BAR_HEIGHT + 2.0f * ARROW_LENGTH + LETTER_ROOM;
    glColor3f(BOX_GREY, BOX_GREY, BOX_GREY);
    glRectf(MARGIN, MARGIN, boxRight, boxTop);
    glColor3f(INK_GREY, INK_GREY, INK_GREY);
    const float barX = MARGIN + BOX_PAD;
    const float barY = MARGIN + BOX_PAD;
    if (bar.metres > 0.0) {
        glRectf(barX, barY, barX + barWidth, barY + BAR_HEIGHT);
        text(barX + barWidth + TEXT_GAP, barY, bar.label);
    }
    // The arrow from its tail through the middle of its room to the tip, with "N" past the tip.
    const float ax = barX + ARROW_LENGTH;
    const float ay = barY + BAR_HEIGHT + ARROW_LENGTH + ARROW_GAP;
    const float ux = static_cast<float>(up[0]);
    const float uy = static_cast<float>(up[1]);
    const float tipX = ax + ux * ARROW_LENGTH * 0.5f;
    const float tipY = ay + uy * ARROW_LENGTH * 0.5f;
    glBegin(GL_LINES);
    glVertex2f(ax - ux * ARROW_LENGTH * 0.5f, ay - uy * ARROW_LENGTH * 0.5f);
    glVertex2f(tipX, tipY);
    glEnd();
    glBegin(GL_TRIANGLES);
    glVertex2f(tipX, tipY);
    glVertex2f(tipX - ux * ARROW_HEAD - uy * ARROW_HEAD * 0.5f,
               tipY - uy * ARROW_HEAD + ux * ARROW_HEAD * 0.5f);
    glVertex2f(tipX - ux * ARROW_HEAD + uy * ARROW_HEAD * 0.5f,
               tipY - uy * ARROW_HEAD - ux * ARROW_HEAD * 0.5f);
    glEnd();
    text(tipX + ux * TEXT_GAP - 4.0f, tipY + uy * TEXT_GAP - 4.0f, "N");
    endPixelOverlay();
}
