#include "app/windowConsole.h"

#include "app/consoleStream.h"

#include <cstdio>
#include <istream>
#include <unistd.h>

Console& windowConsole() {
    static ConsoleInputBuffer input(STDIN_FILENO);
    static std::istream in(&input);
    static Console console{in, stdout};
    return console;
}
