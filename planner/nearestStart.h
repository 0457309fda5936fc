#pragma once
// Which of several starts a plan's routes lead back to: the start each cell is nearest in a
// measure, read from the predecessors a search seeded at every start leaves.

#include "planner/routeTables.h"
#include "terrain/gridShape.h"

#include <cstdint>
#include <vector>

// The start number of a cell no start reaches.
constexpr int32_t NO_NEAREST_START = 0;

// The cell the route to (x, y) in `previous` leads back to: the first on its chain of
// predecessors that has none (a start, for a reached cell), or (x, y) itself.
Cell routeStartOf(const PreviousTable& previous, int x, int y);

// For every cell (indexed like the shape), the 1-based number in `starts` of the start its route
// leads back to (of a start named twice, the first), NO_NEAREST_START where `costs` leaves it
// unreached. Each cell's chain is walked only as far as a cell already numbered.
std::vector<int32_t> nearestStarts(const CostTable& costs, const PreviousTable& previous,
                                   const std::vector<Cell>& starts);
