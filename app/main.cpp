#include "app/startupGl.h"

int main(int argc, char** argv) {
    runLandscape(argc, argv);
    return 0;
}
