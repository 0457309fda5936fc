#pragma once
// Console input read straight from a file descriptor. A wait for input ends when the program is
// asked to shut down, and the stream then reports end of input, so the dialogue never holds the
// program after SIGTERM or SIGINT.

#include <streambuf>

constexpr int CONSOLE_BUFFER_BYTES = 4096;

class ConsoleInputBuffer : public std::streambuf {
  public:
    explicit ConsoleInputBuffer(int fd) : fd_(fd) {}

  protected:
    int_type underflow() override;

  private:
    int fd_;
    char buffer_[CONSOLE_BUFFER_BYTES];
};
