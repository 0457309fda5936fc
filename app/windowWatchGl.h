#pragma once
// Noticing that the window is gone. freeglut ignores the destruction of its window by another
// program, and Xlib's default answers to X errors print several lines and exit; here a lost
// window only raises a flag for the event loop to end on, and a lost X connection ends the
// program with one line on stderr and status 1.

struct _XDisplay; // Xlib's Display, named here so that plain code need not include Xlib

// What is watched: the window's connection and drawable, and whether the window is gone.
struct WindowWatch {
    _XDisplay* display = nullptr;
    unsigned long window = 0; // an Xlib Window
    int glxErrorBase = 0;
    bool lost = false;
};

// Installs the X error handlers for the current GL context's window; call once the window
// exists. Xlib's handlers carry no user data, so they keep a pointer to `watch`, which must
// outlive them.
void watchForWindowLoss(WindowWatch& watch);

// True once the window has been destroyed; asks the X server (one round trip).
bool windowLost(WindowWatch& watch);
