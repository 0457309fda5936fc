// Opening /dev/null in place of each closed standard descriptor, 0, 1 and 2 in turn, so each
// open takes the lowest free number: the one just found closed.

#include "app/standardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int STANDARD_DESCRIPTORS = 3; // input, output, error
}

void openClosedStandardDescriptors() {
    for (int fd = 0; fd < STANDARD_DESCRIPTORS; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is taken, and every one below fd is open by now.
        const int opened = open("/dev/null", O_RDWR);
        if (opened > fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}
