#include "app/inputGl.h"

#include "app/keyboard.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <iostream>

void keyDown(unsigned char key, int, int) {
    static Console console{std::cin, stdout};
    handleKeyDown(key, console);
    glutPostRedisplay();
}

void keyUp(unsigned char key, int, int) {
    handleKeyUp(key);
    glutPostRedisplay();
}
