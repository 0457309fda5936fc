#include "app/inputGl.h"

#include "app/panelGl.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <iostream>

Console& windowConsole() {
    static Console console{std::cin, stdout};
    return console;
}

void keyDown(unsigned char key, int x, int y) {
    if (!panelTakesKey(key, x, y)) {
        handleKeyDown(key, windowConsole());
        syncPanel();
    }
    glutPostRedisplay();
}

void keyUp(unsigned char key, int x, int y) {
    panelKeyUp(key, x, y);
    handleKeyUp(key);
    glutPostRedisplay();
}
