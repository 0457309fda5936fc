// The console's cell entry read a character at a time: IntTokenParser is a small state machine
// over scanf's %i syntax, and a bad entry consumes the rest of its line before it is refused.

#include "app/consoleInput.h"

#include <array>
#include <climits>

namespace {

constexpr int ENTRY_VALUES = 4;
constexpr int OCTAL = 8;
constexpr int DECIMAL = 10;
constexpr int HEXADECIMAL = 16;
// One past INT_MAX is still a valid magnitude for INT_MIN; beyond that nothing can fit.
constexpr long long MAGNITUDE_LIMIT = static_cast<long long>(INT_MAX) + 1;

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + DECIMAL;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + DECIMAL;
    }
    return HEXADECIMAL; // not a digit in any base used here
}

bool isNonZeroDecimal(char c) {
    return c >= '1' && c <= '9';
}

bool isLineEnd(int c) {
    return c == '\n' || c == '\r';
}

void discardRestOfLine(std::istream& in) {
    for (int c = in.get(); c != std::istream::traits_type::eof() && !isLineEnd(c); c = in.get()) {
    }
}

} // namespace

void IntTokenParser::feedDigit(char c) {
    const int digit = digitValue(c);
    if (digit >= base_) {
        state_ = State::Invalid;
        return;
    }
    state_ = State::Digits;
    if (magnitude_ > MAGNITUDE_LIMIT) {
        return; // already too large; keep reading so trailing junk is still noticed
    }
    magnitude_ = magnitude_ * base_ + digit;
}

void IntTokenParser::feed(char c) {
    switch (state_) {
    case State::Empty:
        if (c == '+' || c == '-') {
            negative_ = c == '-';
            state_ = State::Signed;
            return;
        }
        [[fallthrough]];
    case State::Signed:
        if (c == '0') {
            state_ = State::LeadingZero;
            return;
        }
        if (!isNonZeroDecimal(c)) {
            state_ = State::Invalid;
            return;
        }
        feedDigit(c);
        return;
    case State::LeadingZero:
        if (c == 'x' || c == 'X') {
            base_ = HEXADECIMAL;
            state_ = State::HexPrefix;
            return;
        }
        base_ = OCTAL;
        feedDigit(c);
        return;
    case State::HexPrefix:
    case State::Digits:
        feedDigit(c);
        return;
    case State::Invalid:
        return;
    }
}

std::optional<int> IntTokenParser::value() const {
    if (state_ == State::LeadingZero) {
        return 0;
    }
    if (state_ != State::Digits) {
        return std::nullopt;
    }
    if (negative_) {
        if (magnitude_ > MAGNITUDE_LIMIT) {
            return std::nullopt;
        }
        return static_cast<int>(-magnitude_);
    }
    if (magnitude_ > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(magnitude_);
}

std::optional<int> parseIntToken(std::string_view token) {
    IntTokenParser parser;
    for (char c : token) {
        parser.feed(c);
    }
    return parser.value();
}

bool isConsoleSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<RouteEnds> readCellEntry(std::istream& in) {
    std::array<int, ENTRY_VALUES> values{};
    int count = 0;
    IntTokenParser token;
    // After end of input get() returns eof at once, so a later entry never blocks.
    for (;;) {
        const int c = in.get();
        const bool ended = c == std::istream::traits_type::eof();
        if (!ended && !isConsoleSpace(c)) {
            if (count == ENTRY_VALUES) {
                discardRestOfLine(in); // more than four values: a typo, not an entry
                return std::nullopt;
            }
            token.feed(static_cast<char>(c));
            continue;
        }
        const bool lineDone = ended || isLineEnd(c);
        if (token.started()) {
            const std::optional<int> value = token.value();
            token = IntTokenParser{};
            if (!value) {
                if (!lineDone) {
                    discardRestOfLine(in);
                }
                return std::nullopt;
            }
            values[count++] = *value;
        }
        if (count == ENTRY_VALUES && lineDone) {
            return RouteEnds{values[0], values[1], values[2], values[3]};
        }
        if (ended) {
            return std::nullopt;
        }
    }
}

bool isCellEntryInRange(const RouteEnds& entry, const GridShape& shape) {
    return shape.nameable(entry.startX, entry.startY) && shape.nameable(entry.endX, entry.endY);
}

std::optional<RouteEnds> readAcceptedCellEntry(std::istream& in, const GridShape& shape) {
    const std::optional<RouteEnds> entry = readCellEntry(in);
    if (!entry || !isCellEntryInRange(*entry, shape)) {
        return std::nullopt;
    }
    return entry;
}
