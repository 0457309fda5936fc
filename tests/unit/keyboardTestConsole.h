#pragma once
// Test helper: a keyboard console reading a fixed text and keeping everything printed.

#include "app/keyboard.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

// A console whose input is a fixed text and whose output is kept for inspection.
class CapturedConsole {
  public:
    explicit CapturedConsole(const std::string& input = "")
        : in_(input), out_(open_memstream(&buffer_, &size_)), console_{in_, out_} {}
    ~CapturedConsole() {
        std::fclose(out_);
        std::free(buffer_);
    }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    Console& console() { return console_; }
    std::string text() {
        std::fflush(out_);
        return std::string(buffer_, size_);
    }

  private:
    std::istringstream in_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* out_;
    Console console_;
};
