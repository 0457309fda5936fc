#include "app/windowWatchGl.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int CONNECTION_LOST_STATUS = 1;
// GLX protocol errors, as offsets from the extension's first error number (see glxproto.h).
constexpr int GLX_BAD_DRAWABLE = 2;
constexpr int GLX_BAD_WINDOW = 12;

Display* display = nullptr;
Window window = 0;
int glxErrorBase = 0;
bool lost = false;
XErrorHandler otherErrors = nullptr;

// Errors about our own window mean it is gone (GLX names no resource, but the window is its
// only drawable); any other error keeps Xlib's usual answer.
int onXError(Display* from, XErrorEvent* error) {
    const int code = error->error_code;
    const bool aboutWindow =
        ((code == BadWindow || code == BadDrawable) && error->resourceid == window) ||
        code == glxErrorBase + GLX_BAD_DRAWABLE || code == glxErrorBase + GLX_BAD_WINDOW;
    if (aboutWindow) {
        lost = true;
        return 0;
    }
    return otherErrors(from, error);
}

// Xlib ends the process when this returns; the exit handlers would only talk to the dead
// connection and print more.
int onConnectionLost(Display*) {
    std::fputs("landscape: lost the connection to the X server\n", stderr);
    std::fflush(stdout);
    _exit(CONNECTION_LOST_STATUS);
}

} // namespace

void watchForWindowLoss() {
    display = glXGetCurrentDisplay();
    window = glXGetCurrentDrawable();
    int glxEventBase = 0;
    glXQueryExtension(display, &glxErrorBase, &glxEventBase);
    otherErrors = XSetErrorHandler(onXError);
    XSetIOErrorHandler(onConnectionLost);
}

bool windowLost() {
    XWindowAttributes attributes;
    if (!lost && display != nullptr && XGetWindowAttributes(display, window, &attributes) == 0) {
        lost = true;
    }
    return lost;
}
