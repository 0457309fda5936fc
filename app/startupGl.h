#pragma once

// Opens the window, prepares the first scene and runs the GLUT event loop; does not return in
// normal use.
void runLandscape(int argc, char** argv);

// GLUT timer callback: advances the camera one step and re-arms itself.
void timerTick(int value);
