#pragma once
// Reading the start and end cells from the console: four integers in the syntax of scanf's %i
// (decimal, octal after a leading 0, hexadecimal after 0x or 0X, optional + or - sign),
// separated by any whitespace and possibly spread over several lines.
//
// Unlike scanf, a bad entry never poisons the next one: the rest of the line that ended the
// entry is always consumed, so the next read starts on a fresh line. Anything after the fourth
// value on its line (a fifth value, say, from a typo) rejects the entry. A carriage return alone
// ends a line, so such an entry is taken at once; the line feed of a "\r\n" pair is then only
// whitespace before the next entry. End of input rejects the entry and every later one at once.

#include <istream>
#include <optional>
#include <string_view>

#include "terrain/gridShape.h"

// Builds one integer from the characters of a token, one at a time, so a token of any length
// needs no buffer. Overflow and trailing junk are remembered and make the token invalid.
class IntTokenParser {
  public:
    void feed(char c);
    bool started() const { return state_ != State::Empty; }
    // The value, or nothing when the token is empty, malformed or does not fit in an int.
    std::optional<int> value() const;

  private:
    enum class State { Empty, Signed, LeadingZero, HexPrefix, Digits, Invalid };
    void feedDigit(char c);

    State state_ = State::Empty;
    bool negative_ = false;
    int base_ = 10;
    long long magnitude_ = 0; // saturates just past the largest magnitude an int can take
};

// One whole token in %i syntax; nothing unless every character belongs to the number.
std::optional<int> parseIntToken(std::string_view token);

// Whitespace as scanf sees it in the C locale.
bool isConsoleSpace(int c);

// Reads the next four integers, the last one alone on the rest of its line. Nothing when a token
// is not an integer of int size, more follows the fourth, or input ends first; either way the
// line that ended the entry is consumed.
std::optional<RouteEnds> readCellEntry(std::istream& in);

// True when the shape names both cells (GridShape::nameable).
bool isCellEntryInRange(const RouteEnds& entry, const GridShape& shape = BUILT_IN_SHAPE);

// The entry the dialogue accepts on a grid of `shape`: readable, complete and in range;
// otherwise nothing.
std::optional<RouteEnds> readAcceptedCellEntry(std::istream& in,
                                               const GridShape& shape = BUILT_IN_SHAPE);
