#pragma once
// How far a vehicle leans where it crosses a slope. At every grid point a move reads (its two end
// cells and both grid points of each grid line its line crosses) the ground's gradient is taken by
// Horn's method, the one gdaldem's slope uses, and the move's side slope there is the gradient
// across the move's heading. A vehicle with a side-slope limit takes a move only where that stays
// within the limit at every such point. A move and its reverse read the same points and lean
// alike, so the test passes or fails them both.

#include "planner/moveProfile.h"
#include "planner/moveSet.h"
#include "terrain/vehicle.h"

#include <cmath>
#include <cstdint>
#include <vector>

// Rise per metre along the first index (x, columns) and along the second (y, rows).
struct Gradient {
    double gx = 0.0;
    double gy = 0.0;
};

// The gradient at grid point (x, y) of `ground` by Horn's method: the 3 x 3 neighbours weighted 1,
// 2, 1, the differences divided by 8 times the spacing, in double. A neighbour off the grid or
// whose height is NaN (no ground, or closed) takes the centre's height.
Gradient hornGradient(const ProfileGround& ground, int x, int y);

// The side slope, as a fraction, of the move (a, b) where the ground's gradient is g.
inline double sideSlopeOf(const Gradient& g, int a, int b) {
    return std::abs(g.gy * a - g.gx * b) / std::sqrt(static_cast<double>(a * a + b * b));
}

// The steepness of the ground at a grid point, as a fraction: the length of its gradient.
inline double slopeOf(const Gradient& g) {
    return std::sqrt(g.gx * g.gx + g.gy * g.gy);
}

// A vehicle's side-slope limit turned into one bound a move: the move (a, b) passes a point where
// |gy a - gx b| <= limit * sqrt(a^2 + b^2), the same test as sideSlopeOf(g, a, b) <= limit without
// a division.
struct SideRules {
    const MoveSet* moves = nullptr;
    double percent = 0.0;
    std::vector<double> bounds; // per move of the first half of the set
};

SideRules sideRulesOf(const MoveSet& moves, double percent);

// The passes of the side test at the grid points of a strip of columns, worked out as the
// columns are reached: per column and per move of the first half of the set, one byte per row, 1
// where the move leans within the limit there. Only the set's reach of columns is kept at once.
class SideStrip {
  public:
    void start(const ProfileGround& ground, const SideRules& rules, int from);
    // Works out the columns up to the set's reach past x that lie in the grid.
    void reach(int x);
    // Clears forth[y] and back[y + dy] when move d from (x, y) leans too far at any point it reads,
    // for rows first .. last - 1; `crossings` are the move's from (0, 0).
    void testMove(int x, int d, const MoveCrossings& crossings, int first, int last, uint8_t* forth,
                  uint8_t* back);

  private:
    const uint8_t* passes(int column, int d) const;
    void work(int column);

    const ProfileGround* ground_ = nullptr;
    const SideRules* rules_ = nullptr;
    int ring_ = 0;
    int half_ = 0;
    int next_ = 0; // the first column not yet worked out
    std::vector<uint8_t> passes_;
    std::vector<uint8_t> all_; // per row, the move passes every point so far
    std::vector<double> gx_;
    std::vector<double> gy_;
};

// What a route leans and climbs at its steepest, percent, over the points its moves read: the
// side slope as the rule takes it, and the grade of each piece of a move's line between the
// points it reads, its rise over its horizontal length either way. Both 0 for a route of fewer
// than two cells.
struct RouteLean {
    double sideSlopePercent = 0.0;
    double gradePercent = 0.0;
};

RouteLean routeLean(const ProfileGround& ground, const std::vector<Cell>& cells);

// True when the move from `from` to `to` keeps within the vehicle's grades along its line and
// reads no closed point, whatever it leans: the profile test of planner/moveProfile.h one move at
// a time, for telling which rule closes a cell.
bool passesGrades(const ProfileGround& ground, const Vehicle& vehicle, const Cell& from,
                  const Cell& to);

// The side slope, percent, of the route's move that leaves cell k, at its steepest along the
// move; 0 for the last cell.
double moveSideSlopePercent(const ProfileGround& ground, const std::vector<Cell>& cells,
                            std::size_t k);
