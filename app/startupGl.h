#pragma once
// Opening the window and running its event loop, and the timer tick that moves the camera.

struct Options;

// Opens the window, prepares the first scene and runs the GLUT event loop until the window
// closes or a signal asks the program to end. Arguments not taken by `options` go to GLUT; one
// GLUT does not know either is an error. Ground left unpriced (`groundPriced` false) is priced
// beside the window, which shows its heights meanwhile. Returns the exit status.
int runLandscape(const char* programName, const Options& options, bool groundPriced);

// GLUT timer callback: advances the camera one step, asks for a frame while it moves and
// re-arms itself; leaves the event loop after a shutdown signal or once the window is gone.
void timerTick(int value);
