#pragma once
// Whether a vehicle on a ground prices every step and adds up every route in finite floats that
// stay below UNREACHED_COST. Past that a step's price is infinite, a route total reads as
// unreached or overflows, and the exact planner may never settle; so such a vehicle or ground is
// refused before any plan.

#include "planner/moveSet.h"
#include "terrain/groundCover.h"
#include "terrain/vehicle.h"

#include <cstddef>
#include <vector>

// What of a ground bounds its step prices.
struct PricedGround {
    double spacing = 0.0; // metres between neighbouring cells
    double lowest = 0.0;  // the lowest and highest ground, metres (equal when flat)
    double highest = 0.0;
    std::size_t cells = 0;
    int longestMoveSquare = 2; // dx^2 + dy^2 of the set's longest move (2: the eight steps)
    double roughest = 0.0;     // the largest rolling coefficient the cover gives a cell (0: none)
    double slowestKmh = 0.0;   // the least speed above 0 the cover allows a cell, km/h (0: none)
    int longestPieces = 1;     // pieces of the set's longest line between grid lines (1: one cell)
};

// Which measure would overflow first: none, the lengths (the ground alone), the energies or the
// times.
enum class PriceOverflow { None, Length, Energy, Time };

// Every move's length is at most hypot(height range, longest run) and its energy at most
// m g (height range) + rolling m g (longest run), each worked out in floats the way the planners
// do; a move priced along the pieces of its line may climb and drop the height range on each
// piece, so its length is at most the longest run plus that, and its lift m g times that, at the
// rougher of the vehicle's and the cover's surfaces. Its time is at most its length at the slowest
// speed (the cover's or the top speed) and, with a power limit, at most its length at the speed
// that power keeps up on the steepest climb, P / (m g (grade + rolling)). A route takes fewer steps
// than the grid has cells, and each float addition may round up.
PriceOverflow priceOverflow(const Vehicle& vehicle, const PricedGround& ground);

// The ground of `heights` (NaN for none) with that spacing, crossed by `moves`; both heights 0
// when none is ground.
PricedGround pricedGround(const std::vector<float>& heights, double spacing, const MoveSet& moves);

// Sets the ground's roughest surface and slowest speed from `cover` (empty: none), one pass.
void takeCoverBounds(const GroundCover& cover, PricedGround& ground);
