// Refilling the console stream: waits through waitForInput, which a shutdown ends, then reads
// what is there; a read error counts as end of input.

#include "app/consoleStream.h"

#include "app/shutdown.h"

#include <cerrno>
#include <unistd.h>

ConsoleInputBuffer::int_type ConsoleInputBuffer::underflow() {
    if (!waitForInput(fd_)) {
        return traits_type::eof();
    }
    ssize_t count = 0;
    do {
        count = read(fd_, buffer_, sizeof buffer_);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        return traits_type::eof(); // end of input, or an error that is as good as one
    }
    setg(buffer_, buffer_, buffer_ + count);
    return traits_type::to_int_type(buffer_[0]);
}
