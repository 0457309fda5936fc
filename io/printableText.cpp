// Escaping text for a terminal: a line break or tab becomes \n, \r or \t, any other control
// byte, DEL and every byte above it (parts of UTF-8 or of no text at all) become \xNN.

#include "io/printableText.h"

#include <cstdio>

namespace {
constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE = 0x7f;
constexpr int ESCAPE_ROOM = 5; // "\x1b" and its terminating zero
} // namespace

std::string printable(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= FIRST_PRINTABLE && byte < DELETE) {
            shown += c;
            continue;
        }
        if (c == '\n' || c == '\r' || c == '\t') {
            shown += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
            continue;
        }
        char escaped[ESCAPE_ROOM];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        shown += escaped;
    }
    return shown;
}

std::string printableExcerpt(const std::string& text) {
    if (text.size() <= MOST_QUOTED_BYTES) {
        return printable(text);
    }
    return printable(text.substr(0, MOST_QUOTED_BYTES)) + "...";
}
