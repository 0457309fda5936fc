// Taking a picture of the 3-D view: the viewport's pixels read back, turned to run from the top
// and saved; a view too large for a picture is refused before anything is read.

#include "app/pictureGl.h"

#include "app/planning.h"
#include "app/savedFiles.h"
#include "app/windowConsole.h"

#include <GL/freeglut.h>
#include <algorithm>

namespace {
constexpr int CHANNELS = 3;

// The view's pixels in the back buffer, rows turned to run from the top.
Picture viewPicture() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    Picture picture;
    picture.width = viewport[2];
    picture.height = viewport[3];
    const size_t row = static_cast<size_t>(picture.width) * CHANNELS;
    std::vector<unsigned char> bottomUp(row * picture.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE,
                 bottomUp.data());
    picture.rgb.resize(bottomUp.size());
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(bottomUp.begin() + (picture.height - 1 - y) * row, row,
                    picture.rgb.begin() + y * row);
    }
    return picture;
}
} // namespace

void pressPictureKey(bool& pictureAsked) {
    waitForPlan(windowConsole().out); // the picture shows the finished plan
    pictureAsked = true;
    echoAndRebuild(windowConsole().out);
    glutPostRedisplay();
}

void takeAskedPicture(bool& pictureAsked) {
    if (!pictureAsked) {
        return;
    }
    pictureAsked = false;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Refused before its pixels are read: a window far larger than any screen would need
    // gigabytes for them.
    const std::string refusal = pictureSizeRefusal(viewport[2], viewport[3]);
    if (!refusal.empty()) {
        refusePicture(refusal);
        return;
    }
    savePicture(viewPicture(), windowConsole().out);
}
