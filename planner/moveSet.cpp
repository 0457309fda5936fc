// The move sets, built from their reach.
#include "planner/moveSet.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numeric>

int moveReach(int count) {
    for (int r = 1; r <= LONGEST_REACH; ++r) {
        if (MOVE_COUNTS[r - 1] == count) {
            return r;
        }
    }
    return 0;
}

std::optional<MoveSet> moveSetOf(int count) {
    const int reach = moveReach(count);
    if (reach == 0) {
        return std::nullopt;
    }
    MoveSet set;
    set.reach = reach;
    for (int dx = reach; dx >= -reach; --dx) {
        for (int dy = reach; dy >= -reach; --dy) {
            // gcd(0, 0) is 0, so the move that stays put is left out with the multiples.
            if (std::gcd(std::abs(dx), std::abs(dy)) != 1) {
                continue;
            }
            // The root of a small whole number in double, rounded to float, is the float nearest
            // the exact root (a double holds more than twice a float's digits): 1.41421354f for
            // a diagonal, as DIAGONAL_STEP.
            const double run = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            set.moves[set.count++] = Move{dx, dy, static_cast<float>(run)};
        }
    }
    return set;
}

const MoveSet& moveSetFor(int count) {
    static const std::array<MoveSet, std::size(MOVE_COUNTS)> sets = [] {
        std::array<MoveSet, std::size(MOVE_COUNTS)> built;
        for (std::size_t k = 0; k < built.size(); ++k) {
            built[k] = *moveSetOf(MOVE_COUNTS[k]);
        }
        return built;
    }();
    const int reach = moveReach(count);
    return sets[reach == 0 ? 0 : reach - 1];
}
