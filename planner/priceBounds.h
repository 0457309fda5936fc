#pragma once
// Whether a vehicle on a ground prices every step and adds up every route in finite floats that
// stay below UNREACHED_COST. Past that a step's price is infinite, a route total reads as
// unreached or overflows, and the exact planner may never settle; so such a vehicle or ground is
// refused before any plan.

#include "planner/moveSet.h"
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
};

// Which measure would overflow first: none, the lengths (the ground alone), or the energies.
enum class PriceOverflow { None, Length, Energy };

// Every move's length is at most hypot(height range, longest run) and its energy at most
// m g (height range) + rolling m g (longest run), each worked out in floats the way the planners
// do; a route takes fewer steps than the grid has cells, and each float addition may round up.
PriceOverflow priceOverflow(const Vehicle& vehicle, const PricedGround& ground);

// The ground of `heights` (NaN for none) with that spacing, crossed by `moves`; both heights 0
// when none is ground.
PricedGround pricedGround(const std::vector<float>& heights, double spacing, const MoveSet& moves);
