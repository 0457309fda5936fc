#include "app/inputGl.h"

#include <GL/freeglut.h>

// Placeholder until mouse drag rotation lands.
void mouseButton(int, int, int, int) {}
void mouseMotion(int, int) { glutPostRedisplay(); }
