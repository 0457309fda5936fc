#include "app/consoleInput.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <sstream>
#include <string>

// Readable failure messages for entries.
std::ostream& operator<<(std::ostream& os, const std::optional<RouteEnds>& e) {
    if (!e) {
        return os << "rejected";
    }
    return os << e->startX << ',' << e->startY << ',' << e->endX << ',' << e->endY;
}

namespace {

struct TokenCase {
    std::string token;
    std::optional<int> expected;
};

TEST(ParseIntToken, FollowsTheSyntaxOfPercentI) {
    const TokenCase cases[] = {
        {"0", 0},
        {"7", 7},
        {"364", 364},
        {"010", 8},
        {"0777", 511},
        {"0x10", 16},
        {"0X1f", 31},
        {"0xABCDEF", 0xABCDEF},
        {"+5", 5},
        {"-1", -1},
        {"-0", 0},
        {"+0x10", 16},
        {"-010", -8},
        {"00", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x7fffffff", INT_MAX},
        {"-0x80000000", INT_MIN},
        {"017777777777", INT_MAX},
        {"000000000000000000000000000000001", 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"0x80000000", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"12abc", std::nullopt},
        {"08", std::nullopt},
        {"09", std::nullopt},
        {"0x", std::nullopt},
        {"0xg", std::nullopt},
        {"1e3", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-5", std::nullopt},
        {"--5", std::nullopt},
        {"5-", std::nullopt},
        {"abc", std::nullopt},
        {"x10", std::nullopt},
        {"1.5", std::nullopt},
        {std::string("1\0", 2), std::nullopt},
        {"\xff", std::nullopt},
    };
    for (const TokenCase& c : cases) {
        EXPECT_EQ(parseIntToken(c.token), c.expected) << '"' << c.token << '"';
    }
}

TEST(ConsoleSpace, MatchesTheCLocaleAndTreatsCarriageReturnAsSpace) {
    for (int c = 0; c < 256; ++c) {
        const bool expected = c == ' ' || (c >= '\t' && c <= '\r');
        EXPECT_EQ(isConsoleSpace(c), expected) << c;
    }
}

struct EntryCase {
    const char* name;
    std::string input;
    std::optional<RouteEnds> expected;
};

const EntryCase ENTRY_CASES[] = {
    {"smallest and largest", "1 1 364 364\n", RouteEnds{1, 1, 364, 364}},
    {"octal start x", "010 5 5 5\n", RouteEnds{8, 5, 5, 5}},
    {"hex start x", "0x10 5 5 5\n", RouteEnds{16, 5, 5, 5}},
    {"upper hex", "0X16C 0x1 1 1\n", RouteEnds{364, 1, 1, 1}},
    {"zero start x", "0 5 5 5\n", std::nullopt},
    {"365 end y", "5 5 5 365\n", std::nullopt},
    {"364 in hex", "0x16c 5 5 5\n", RouteEnds{364, 5, 5, 5}},
    {"365 in hex", "0x16d 5 5 5\n", std::nullopt},
    {"negative", "-1 5 5 5\n", std::nullopt},
    {"plus sign", "+5 5 5 5\n", RouteEnds{5, 5, 5, 5}},
    {"just past int", "2147483648 5 5 5\n", std::nullopt},
    {"just below int", "-2147483649 5 5 5\n", std::nullopt},
    {"smallest int", "-2147483648 5 5 5\n", std::nullopt},
    {"trailing letters", "12abc 5 5 5\n", std::nullopt},
    {"eight is not octal", "08 5 5 5\n", std::nullopt},
    {"bare hex prefix", "0x 5 5 5\n", std::nullopt},
    {"exponent", "1e3 5 5 5\n", std::nullopt},
    {"three values then end", "5 5 5", std::nullopt},
    {"three values, newline, end", "5 5 5\n", std::nullopt},
    {"nothing at all", "", std::nullopt},
    {"empty line first", "\n5 6 7 8\n", RouteEnds{5, 6, 7, 8}},
    {"over two lines", "5 6\n7 8\n", RouteEnds{5, 6, 7, 8}},
    {"one a line", "5\n6\n7\n8\n", RouteEnds{5, 6, 7, 8}},
    {"letters", "a b c d\n", std::nullopt},
    {"extra tokens", "5 6 7 8 9 10\n", std::nullopt},
    {"junk after four", "5 6 7 8 junk\n", std::nullopt},
    {"fifth value on the next line", "5 6 7 8\n9\n", RouteEnds{5, 6, 7, 8}},
    {"carriage return ends the line", "5 6 7 8\r9\n", RouteEnds{5, 6, 7, 8}},
    {"no final newline", "5 6 7 8", RouteEnds{5, 6, 7, 8}},
    {"CRLF", "1 1 364 364\r\n", RouteEnds{1, 1, 364, 364}},
    {"tabs and form feeds", "\t5\v6\f7\r8\n", RouteEnds{5, 6, 7, 8}},
    {"leading spaces", "   5 6 7 8\n", RouteEnds{5, 6, 7, 8}},
    {"NUL inside", std::string("5 6\0 7 8\n", 9), std::nullopt},
    {"NUL alone", std::string("\0 5 6 7 8\n", 10), std::nullopt},
    {"very long line", std::string(100000, ' ') + "5 6 7 8\n", RouteEnds{5, 6, 7, 8}},
    {"very long number", std::string(100000, '9') + " 6 7 8\n", std::nullopt},
    {"many leading zeros", std::string(100000, '0') + "5 6 7 8\n", RouteEnds{5, 6, 7, 8}},
    {"comma separated", "5,6,7,8\n", std::nullopt},
    {"bad token in second line", "5 6\n7 x\n", std::nullopt},
};

TEST(ReadAcceptedCellEntry, AcceptsOnlyFourReadableValuesInRange) {
    for (const EntryCase& c : ENTRY_CASES) {
        std::istringstream in(c.input);
        EXPECT_EQ(readAcceptedCellEntry(in), c.expected) << c.name;
    }
}

TEST(ReadCellEntry, ReadsOutOfRangeValuesForTheRangeTestToRefuse) {
    std::istringstream in("-2147483648 0 365 2147483647\n");
    const std::optional<RouteEnds> entry = readCellEntry(in);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(*entry, (RouteEnds{INT_MIN, 0, 365, INT_MAX}));
    EXPECT_FALSE(isCellEntryInRange(*entry));
}

TEST(IsCellEntryInRange, EachValueIsTestedOnItsOwn) {
    const RouteEnds inside{1, 364, 1, 364};
    EXPECT_TRUE(isCellEntryInRange(inside));
    for (int field = 0; field < 4; ++field) {
        for (int bad : {0, 365}) {
            RouteEnds e = inside;
            int* values[] = {&e.startX, &e.startY, &e.endX, &e.endY};
            *values[field] = bad;
            EXPECT_FALSE(isCellEntryInRange(e)) << "field " << field << " = " << bad;
        }
    }
}

// A rejected entry must not leave the rest of its line behind for the next one.
TEST(ReadAcceptedCellEntry, NextEntryStartsOnTheNextLine) {
    const char* firstLines[] = {"12abc 1 2 3 4\n",   "0x 5 5 5 5 5\n", "0 5 5 5\n",
                                "5 6 7 8 9 10 11\n", "5 6 7 8 junk\n", "08 1 1 1 1\n",
                                "1 1\n2 x 3 4 5\n",  "5 6 7 8\r\n",    "5 6 7 8 9\r"};
    for (const char* first : firstLines) {
        std::istringstream in(std::string(first) + "20 21 22 23\n");
        readAcceptedCellEntry(in);
        EXPECT_EQ(readAcceptedCellEntry(in), (RouteEnds{20, 21, 22, 23})) << first;
    }
}

TEST(ReadAcceptedCellEntry, EndOfInputRejectsEveryLaterEntryWithoutReading) {
    std::istringstream in("5 6 7");
    EXPECT_EQ(readAcceptedCellEntry(in), std::nullopt);
    EXPECT_TRUE(in.eof());
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(readAcceptedCellEntry(in), std::nullopt);
    }
}

TEST(ReadAcceptedCellEntry, LastEntryWithoutNewlineIsAcceptedThenInputIsOver) {
    std::istringstream in("9 9 9 9\n5 6 7 8");
    EXPECT_EQ(readAcceptedCellEntry(in), (RouteEnds{9, 9, 9, 9}));
    EXPECT_EQ(readAcceptedCellEntry(in), (RouteEnds{5, 6, 7, 8}));
    EXPECT_EQ(readAcceptedCellEntry(in), std::nullopt);
}

} // namespace
