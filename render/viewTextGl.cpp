// Text over the view, drawn in window pixels on a box that keeps it legible over any ground.
#include "render/viewTextGl.h"

#include <GL/freeglut.h>

namespace {
constexpr float TEXT_MARGIN = 10.0f; // pixels from the view's top-left corner to the box
constexpr float TEXT_PAD = 6.0f;     // pixels of box around the text
constexpr float TEXT_HEIGHT = 18.0f; // pixels of GLUT_BITMAP_HELVETICA_18 above its baseline
constexpr float BOX_GREY = 0.1f;
constexpr float INK_GREY = 0.95f;
} // namespace

void beginPixelOverlay(const int* viewport) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

void endPixelOverlay() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void drawViewText(const SceneGlState& gl, const std::string& line) {
    const GLint* viewport = gl.meshMatrices.viewport;
    const auto* text = reinterpret_cast<const unsigned char*>(line.c_str());
    beginPixelOverlay(viewport);
    const float width = static_cast<float>(glutBitmapLength(GLUT_BITMAP_HELVETICA_18, text));
    const float top = static_cast<float>(viewport[3]) - TEXT_MARGIN;
    const float baseline = top - TEXT_PAD - TEXT_HEIGHT;
    glColor3f(BOX_GREY, BOX_GREY, BOX_GREY);
    glRectf(TEXT_MARGIN, baseline - TEXT_PAD, TEXT_MARGIN + width + 2.0f * TEXT_PAD, top);
    glColor3f(INK_GREY, INK_GREY, INK_GREY);
    glRasterPos2f(TEXT_MARGIN + TEXT_PAD, baseline);
    glutBitmapString(GLUT_BITMAP_HELVETICA_18, text);
    endPixelOverlay();
}
