#pragma once
// GLUT input callbacks: each decodes one event, forwards it to the plain core and asks for a
// redisplay where the event needs one.

#include "app/keyboard.h"

struct WindowState;

// A Shift, Ctrl or Alt click waits for the next frame, which knows the depth under the pointer.
struct PendingPick {
    PickedEnd end;
    int x, y;
};

void keyDown(unsigned char key, int x, int y);
void keyUp(unsigned char key, int x, int y);
// F12 asks for a picture of the view; other special keys do nothing.
void specialKeyDown(int key, int x, int y);
void mouseButton(int button, int state, int x, int y);
void mouseMotion(int x, int y);

// Runs after the scene of each frame: writes an asked picture, resolves a pending pick against
// the frame just drawn, then draws the panel.
void afterScene(WindowState& window);
