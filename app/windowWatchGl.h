#pragma once
// Noticing that the window is gone. freeglut ignores the destruction of its window by another
// program, and Xlib's default answers to X errors print several lines and exit; here a lost
// window only raises a flag for the event loop to end on, and a lost X connection ends the
// program with one line on stderr and status 1.

// Installs the X error handlers; call once the window exists (its GL context current).
void watchForWindowLoss();

// True once the window has been destroyed; asks the X server (one round trip).
bool windowLost();
