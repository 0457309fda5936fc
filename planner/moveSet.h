#pragma once
// The moves out of a cell: every (dx, dy) with no common factor and neither offset longer than
// the set's reach. A move with a common factor is left out because it runs along a shorter move
// taken twice or more. The set of 8 is the eight neighbours of NEIGHBOUR_STEPS (planner/steps.h),
// move for move, so that a plan of 8 moves is the plan of the eight steps.

#include <algorithm>
#include <array>
#include <optional>

// The sizes a set comes in, for reaches 1 to 6 in turn.
constexpr int MOVE_COUNTS[] = {8, 16, 32, 48, 80, 96};
constexpr int LONGEST_REACH = 6;
constexpr int MOST_MOVES = 96;

struct Move {
    int dx;           // column offset, -reach..reach
    int dy;           // row offset, -reach..reach
    float multiplier; // horizontal run in grid spacings: the float nearest the root of
                      // dx^2 + dy^2
};

// The moves of one set in the order the planners are to offer them costs: dx descending, then dy
// descending, as NEIGHBOUR_STEPS. The order decides which of two equal candidates becomes the
// predecessor. A fixed array rather than a vector, so that a planner copies the set into its loop
// without an allocation.
struct MoveSet {
    int reach = 0; // the longest offset of any move, along either index
    int count = 0;
    std::array<Move, MOST_MOVES> moves{};

    const Move& operator[](int k) const { return moves[k]; }
    const Move* begin() const { return moves.data(); }
    const Move* end() const { return moves.data() + count; }
    // The order runs the same from either end with the signs turned: move k and move
    // count - 1 - k point in opposite directions.
    int opposite(int k) const { return count - 1 - k; }
    // The number of the move (dx, dy), or -1 when the set has none: what a planner stores for
    // a cell's predecessor.
    int numberOf(int dx, int dy) const {
        for (int k = 0; k < count; ++k) {
            if (moves[k].dx == dx && moves[k].dy == dy) {
                return k;
            }
        }
        return -1;
    }
    // The largest dx^2 + dy^2 of any move: the longest move's run, in spacings, is its root.
    int longestSquare() const {
        int longest = 0;
        for (const Move& m : *this) {
            longest = std::max(longest, m.dx * m.dx + m.dy * m.dy);
        }
        return longest;
    }
    // Bytes of one cell's move bits, a bit a move.
    int bitBytes() const { return (count + 7) / 8; }
};

// The reach of a set of `count` moves, or 0 when no set has that many.
int moveReach(int count);

inline bool isMoveCount(int count) {
    return moveReach(count) != 0;
}

// The set of `count` moves, or none when `count` is not one of MOVE_COUNTS.
std::optional<MoveSet> moveSetOf(int count);

// The set of `count` moves, built once for the whole run, so that a grid and its tables may point
// at it; the set of 8 when `count` is not one of MOVE_COUNTS.
const MoveSet& moveSetFor(int count);
