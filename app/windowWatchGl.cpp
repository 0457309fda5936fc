#include "app/windowWatchGl.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int CONNECTION_LOST_STATUS = 1;

Display* display = nullptr;
Window window = 0;
bool lost = false;
XErrorHandler otherErrors = nullptr;

// Errors about our own window mean it is gone; any other error keeps Xlib's usual answer.
int onXError(Display* from, XErrorEvent* error) {
    const bool aboutWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (aboutWindow && error->resourceid == window) {
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
