#pragma once
// Text from outside (file names, option values, what a file holds) as it may reach a terminal:
// one line of printable ASCII, with no byte that moves the cursor or starts an escape sequence.

#include <cstddef>
#include <string>

// Bytes of an input a message quotes at most: a field or a value, never a whole file.
constexpr std::size_t MOST_QUOTED_BYTES = 60;

// `text` with each byte outside printable ASCII escaped: "\n", "\r", "\t", else "\x1b", "\xc3"
// and the like.
std::string printable(const std::string& text);

// The same for at most the first MOST_QUOTED_BYTES bytes of `text`, with "..." after them when
// there is more.
std::string printableExcerpt(const std::string& text);
