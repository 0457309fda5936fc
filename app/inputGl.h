#pragma once
// GLUT input callbacks: each decodes one event, forwards it to the plain core and asks for a
// redisplay where the event needs one.

void keyDown(unsigned char key, int x, int y);
void keyUp(unsigned char key, int x, int y);
void mouseButton(int button, int state, int x, int y);
void mouseMotion(int x, int y);
