// The X error handlers behind the watch: errors about our window (or GLX's about its drawable)
// mark it lost, every other error goes on to the handler before ours, and a lost connection
// ends the program.

#include "app/windowWatchGl.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <type_traits>
#include <unistd.h>

static_assert(std::is_same_v<Window, unsigned long>, "the watch keeps an Xlib Window");

namespace {

constexpr int CONNECTION_LOST_STATUS = 1;
// GLX protocol errors, as offsets from the extension's first error number (see glxproto.h).
constexpr int GLX_BAD_DRAWABLE = 2;
constexpr int GLX_BAD_WINDOW = 12;

// Xlib's error handlers are process-wide and carry no user data: the watch ours report to, and
// the handler before ours, which every error not about the window still goes to.
WindowWatch* watched = nullptr;
XErrorHandler otherErrors = nullptr;

// Errors about our own window mean it is gone (GLX names no resource, but the window is its
// only drawable); any other error keeps Xlib's usual answer.
int onXError(Display* from, XErrorEvent* error) {
    WindowWatch& watch = *watched;
    const int code = error->error_code;
    const int glxBase = watch.glxErrorBase;
    const bool aboutWindow =
        ((code == BadWindow || code == BadDrawable) && error->resourceid == watch.window) ||
        code == glxBase + GLX_BAD_DRAWABLE || code == glxBase + GLX_BAD_WINDOW;
    if (aboutWindow) {
        watch.lost = true;
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

void watchForWindowLoss(WindowWatch& watch) {
    watch.display = glXGetCurrentDisplay();
    watch.window = glXGetCurrentDrawable();
    int glxEventBase = 0;
    glXQueryExtension(watch.display, &watch.glxErrorBase, &glxEventBase);
    watched = &watch;
    otherErrors = XSetErrorHandler(onXError);
    XSetIOErrorHandler(onConnectionLost);
}

bool windowLost(WindowWatch& watch) {
    XWindowAttributes attributes;
    if (!watch.lost && watch.display != nullptr &&
        XGetWindowAttributes(watch.display, watch.window, &attributes) == 0) {
        watch.lost = true;
    }
    return watch.lost;
}
