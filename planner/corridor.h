#pragma once
// The corridor of nearly-best routes between one start and one end: for every cell, how much
// dearer than the best route the least route from the start through that cell to the end is.
// The plan gives each cell's least cost from the start; a second search from the end over the
// moves reversed gives its least cost to the end; their sum less the best route's cost is the
// cell's corridor value, 0 along the best route.

#include "planner/exactSearch.h"
#include "planner/planningGrid.h"
#include "planner/routeTables.h"

// The --corridor percentage the window starts with when none is given.
constexpr double DEFAULT_CORRIDOR_PERCENT = 10.0;

// A value within this many float units of the best route's cost of 0 is 0: the two tables each
// round a sum once, so a cell of the best route may come out that far from 0 either way.
constexpr int CORRIDOR_ROUNDING_UNITS = 2;

// Fills `values` (sized like `fromStart`) with fromStart + toEnd - best for every cell where
// both are reached, UNREACHED_COST elsewhere and everywhere when `best` is; a value below 0 or
// within CORRIDOR_ROUNDING_UNITS of it is 0. `values` may be `toEnd` itself.
void corridorValues(const CostTable& fromStart, const CostTable& toEnd, float best,
                    CostTable& values);

// Fills `corridor` for the plan in `plan`, made from the one start to every cell of `grid`, and
// the route to `end`: the reversed search from `end` and then, in place of its costs, each
// measure's corridor values (its predecessors are the moves toward the end). `corridor` is sized
// for the grid when it is not. False, `corridor` unfinished, when `cancel` stopped the search.
bool planCorridor(const PlanningGrid& grid, const RouteTables& plan, Cell end, ExactWorkspace& work,
                  RouteTables& corridor, const ProgressListener& progress = {},
                  const CancelFlag* cancel = nullptr);

// Lowers each value of `joined` to `leg`'s where that is less, in every measure both hold (the
// same shape): a trip's corridor is its legs' joined, since a route of the trip through a cell
// passes it on some leg and is dearer than the best trip by what that leg's route through it is
// dearer than the leg's best.
void joinCorridors(const RouteTables& leg, RouteTables& joined);

// True when a cell of corridor value `value` lies within `percent` % of the best route's cost.
inline bool withinCorridor(float value, float best, double percent) {
    return value != UNREACHED_COST && static_cast<double>(value) <= best * percent / 100.0;
}
