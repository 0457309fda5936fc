#pragma once
// Where a plan on loaded ground starts and ends when the user has not said: on the largest piece
// of ground the vehicle can cross, so the first route is worth looking at.

#include "planner/planningGrid.h"

#include <optional>

// The largest set of cells joined by steps of `grid` (a step taken either way joins its two
// cells; ties: the set holding the smaller flat index), counted among the cells a dialogue may
// name (GridShape::nameable, those a plan may start or end at): the start is its cell nearest
// the grid's centre that some move leaves (any of its cells when none does), the end its cell
// farthest in a straight line from the start (ties: smaller first index, then smaller second), both
// such cells. Nothing when no cell a dialogue may name has ground.
std::optional<RouteEnds> defaultRouteEnds(const PlanningGrid& grid);
