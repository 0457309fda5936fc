#pragma once
// The ground along a move longer than one cell. The move test of planner/steps.h sees only the
// two end cells, so a move of several cells could jump a ridge, a gap in the ground or a barrier
// between them. Here the move's straight line is followed across the grid lines: where it crosses
// one between two grid points its height is read between those two, and every piece of the line
// between two such crossings must keep within the vehicle's grades. A one-cell diagonal crosses
// no grid line; it is held back by the two cells it passes between instead. The planning grid
// takes these tests once per ground and vehicle.

#include "planner/kernels/kernels.h"
#include "planner/moveSet.h"
#include "terrain/gridShape.h"
#include "terrain/terrainGrid.h"
#include "terrain/vehicle.h"

#include <array>
#include <cstdint>
#include <vector>

// Where a move's line crosses a grid line: between grid point `first` and the next grid point
// along the crossed line, `second` (one row or one column further), at `weight` of the way from
// the first to the second. No crossing falls on a grid point, since a move's offsets have no
// common factor, so the weight lies strictly between 0 and 1.
struct Crossing {
    double t; // how far along the move, 0 < t < 1
    Cell first;
    Cell second;
    double weight;
};

// A move of reach r crosses at most r - 1 columns and r - 1 rows.
constexpr int MOST_CROSSINGS = 2 * (LONGEST_REACH - 1);

// The crossings of one move in order along it, held in place so that testing a move allocates
// nothing.
struct MoveCrossings {
    int count = 0;
    std::array<Crossing, MOST_CROSSINGS> at{};

    const Crossing* begin() const { return at.data(); }
    const Crossing* end() const { return at.data() + count; }
};

// The crossings of the move (dx, dy) from cell (x, y): |dx| - 1 + |dy| - 1 of them, none for the
// eight steps. dx and dy have no common factor and are at most LONGEST_REACH long. The crossings
// from (0, 0) are the same for every cell shifted by the cell, so a planner may work them out once
// per move.
MoveCrossings moveCrossings(int x, int y, int dx, int dy);

// One move's line as the profile test walks it, worked out once per set, spacing and vehicle: its
// crossings from (0, 0), and how far each piece between them (and the end points) may climb and
// drop, metres: the piece's horizontal length h times the grade over 100, in double, as
// h * percent / 100.
struct MoveProfile {
    MoveCrossings crossings;
    std::array<double, MOST_CROSSINGS + 1> climb{};
    std::array<double, MOST_CROSSINGS + 1> drop{};
};

MoveProfile moveProfileOf(const Move& move, double spacing, double upPercent, double downPercent);

// What the profile test reads of a ground: heights x-major (metres), NaN where a cell has no
// ground or a barrier closes it, so that a closed cell beside a crossing fails the piece.
struct ProfileGround {
    GridShape shape;
    const float* heights;
    // Per cell, 0 where a barrier or the cover closes it, when the heights leave closed cells
    // their height; null when they are NaN there already. Only the side-slope test reads it.
    const uint8_t* open = nullptr;
    Kernels kernels = Kernels::Plain; // the paths the tests along moves take
};

// Room per row for testAlongMoves, kept between columns.
struct ProfileScratch {
    std::vector<double> zLast; // the height of the last point of each row's line
    std::vector<double> zNext;
    std::vector<uint64_t> forth; // all bits set while the row's move passes
    std::vector<uint64_t> back;

    void resize(std::size_t rows) {
        zLast.resize(rows);
        zNext.resize(rows);
        forth.resize(rows);
        back.resize(rows);
    }
};

// Clears forth[y] when `move` from cell (x, y) fails the tests along its length, and back[y + dy]
// when the move back from its end does, for rows first .. last - 1, whose ends all lie in the
// grid. A move of more than one cell fails when a grid point beside a crossing is closed, or a
// piece of its line climbs or drops more than `profile` allows (the way back swaps the two); a
// one-cell diagonal fails both ways when both cells it passes between are closed; a straight
// one-cell move is left to the end cells' test. One row after another, without branches, in
// lanes as wide as a double, so that the compiler tests several rows at once; `scratch` is its
// room per row.
void testAlongMoves(const ProfileGround& ground, int x, const Move& move,
                    const MoveProfile& profile, int first, int last, uint8_t* forth, uint8_t* back,
                    ProfileScratch& scratch);
