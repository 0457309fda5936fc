#include "app/inputGl.h"

#include "app/consoleStream.h"
#include "app/keyboard.h"
#include "app/shutdown.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <istream>
#include <unistd.h>

void keyDown(unsigned char key, int, int) {
    static ConsoleInputBuffer input(STDIN_FILENO);
    static std::istream in(&input);
    static Console console{in, stdout};
    handleKeyDown(key, console);
    if (shutdownRequested()) {
        glutLeaveMainLoop(); // a signal ended the dialogue: no frame, end now
        return;
    }
    glutPostRedisplay();
}

void keyUp(unsigned char key, int, int) {
    handleKeyUp(key);
    glutPostRedisplay();
}
