#pragma once
// The ground along a move longer than one cell. The move test of planner/steps.h sees only the
// two end cells, so a move of several cells could jump a ridge, a gap in the ground or a barrier
// between them. Here the move's straight line is followed across the grid lines: where it crosses
// one between two grid points its height is read between those two, and every piece of the line
// between two such crossings must keep within the vehicle's grades. A one-cell diagonal crosses
// no grid line; it is held back by the two cells it passes between instead. The planning grid
// takes these tests once per ground and vehicle.

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

// The crossings from (0, 0) of every move of `set`, by move number.
std::vector<MoveCrossings> crossingsOf(const MoveSet& set);

// What the profile test reads of a ground and a vehicle.
struct ProfileGround {
    GridShape shape;
    const float* heights = nullptr; // x-major, metres, NaN where a cell has no ground
    const uint8_t* open = nullptr;  // per cell, 0 where a barrier closes it; null for no barriers
    double upPercent = DEFAULT_GRADE_PERCENT;
    double downPercent = DEFAULT_GRADE_PERCENT;
};

// The profile test's view of `terrain` and `vehicle`, with the open cells as PlanningGrid::open
// holds them. Reads the heights and the flags in place: both must outlive it.
ProfileGround profileGroundOf(const TerrainPositions& terrain, const std::vector<uint8_t>& open,
                              const Vehicle& vehicle);

// True when the move (dx, dy) from cell (x, y) passes the tests along its length: false when its
// end lies outside the grid; for a move of more than one cell, both grid points around every
// crossing have ground and are open, and every piece of the line from the start over the
// crossings to the end climbs no more than upPercent and descends no more than downPercent of its
// horizontal length h (in double, as rise <= h * upPercent / 100); for a one-cell diagonal, at
// least one of the two cells it passes between has ground and is open. The two end cells' own
// ground, openness and grade stay with the planning grid and MoveTest, as for the eight steps; a
// straight one-cell move always passes here.
bool profilePasses(const ProfileGround& ground, int x, int y, int dx, int dy);

// The same test with the move's crossings from (0, 0) worked out beforehand, as a planner testing
// every cell would keep them, one list per move of its set.
bool profilePasses(const ProfileGround& ground, int x, int y, int dx, int dy,
                   const MoveCrossings& fromOrigin);

// Whether a move passes the tests along its length each way: from (x, y) to its end, and back.
struct ProfileVerdict {
    bool forth;
    bool back;
};

// profilePasses for the move (dx, dy) from (x, y) and for the move back from its end, at once:
// the same crossings, with the vehicle's up and down limits swapped.
ProfileVerdict profileVerdict(const ProfileGround& ground, int x, int y, int dx, int dy,
                              const MoveCrossings& fromOrigin);
