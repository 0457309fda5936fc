#pragma once
// What the console says about a loaded ground and the choices made on it: the grid the raster
// became, where the plan starts and ends and with which planner, how much of the ground the start
// reaches, and why an end no route reaches is out of reach. The built-in ground says none of it.

#include "planner/plannerKind.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include <cstddef>
#include <string>

// How many cells of a ground have a height, and how many of those the last plan reached.
struct GroundReach {
    std::size_t cells = 0;
    std::size_t withGround = 0;
    std::size_t reached = 0;
};

// Counts the ground's cells with a height and those the distance table reaches (every planner
// reaches the same cells in both measures).
GroundReach groundReach(const TerrainPositions& terrain, const RouteTables& tables);

// A share in percent as the console shows it: whole percent ("39"), but "0.04" for a small
// share that is not none and "99.7" for a large one that is not all.
std::string percentText(std::size_t part, std::size_t whole);

// The grade the vehicle may take, "7 %", or "7 % up and 10 % down" when they differ.
std::string gradeText(const Vehicle& vehicle);

// "7 % vehicle", or "7 % vehicle leaning at most 30 %" with a side-slope limit.
std::string vehicleText(const Vehicle& vehicle);

// "Ground: 415 x 437 cells of 74.6 m, 39 % without ground\n"
std::string groundLine(const GridShape& shape, const GroundReach& reach);

// "Start (221, 224), end (403, 386): CHOSEN BY; exact planner\n"
std::string endsLine(const RouteEnds& ends, const std::string& chosenBy, PlannerKind planner);

// Why the default ends lie where they do, for a vehicle of this grade.
std::string defaultEndsReason(const Vehicle& vehicle);

// "From the start a 7 % vehicle reaches 13 % of the ground (22350 of 171923 cells)\n"
std::string reachLine(const GroundReach& reach, const Vehicle& vehicle);

// Printed after the route texts when the end is out of reach: what the user could change.
std::string unreachableEndLine(const GroundReach& reach, const Vehicle& vehicle);
