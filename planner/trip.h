#pragma once
// A trip from the start through via points, in order, to the end: each leg planned from its own
// start, and each measure's route the legs' routes joined. The caller plans a leg and reads its
// routes; this only orders the legs and joins what they give.

#include "planner/route.h"
#include "terrain/gridShape.h"

#include <functional>
#include <vector>

// The cells a trip passes in order: the start of `ends`, each of `via`, then its end.
std::vector<Cell> tripPoints(const RouteEnds& ends, const std::vector<Cell>& via);

// Plans one leg from `from` and reads its routes to `to`: one a measure, in the same measures
// and order for every leg.
using LegPlanner = std::function<std::vector<Route>(const Cell& from, const Cell& to)>;

// The routes of each leg between consecutive `points` (two or more), in the order of the legs.
// The legs are planned from the last back to the first, so that a planner whose tables each leg
// overwrites ends holding the first leg's.
std::vector<std::vector<Route>> planTripLegs(const std::vector<Cell>& points,
                                             const LegPlanner& planLeg);

// Each measure's legs between consecutive `points` joined into one route from the first leg's start
// to the last leg's end: the cells in order without repeating the cell where two legs meet, the
// length along and the costs carried on from one leg into the next, the totals the sums of the
// legs' (so the route's own total is the sum of its legs' least costs) and each leg's ends and
// totals. Unreachable, without cells or totals, when any leg is; its legs still tell which.
std::vector<Route> joinLegs(const std::vector<Cell>& points,
                            const std::vector<std::vector<Route>>& legs);
