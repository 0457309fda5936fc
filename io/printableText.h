#pragma once
// Text from outside (file names, option values) as it may reach a terminal: one line, with no
// byte that moves the cursor or starts an escape sequence.

#include <string>

// `text` with each control character escaped: "\n", "\r", "\t", else "\x1b" and the like.
std::string printable(const std::string& text);
