#include "app/inputGl.h"

#include <GL/freeglut.h>

// Placeholder until the keyboard commands land.
void keyDown(unsigned char, int, int) { glutPostRedisplay(); }
void keyUp(unsigned char, int, int) { glutPostRedisplay(); }
