#pragma once
// The ground a run plans and draws on, and the vehicle and cells it plans with: the built-in
// heights, or the raster --terrain names. Prepared before any window exists, so bad input ends
// the program without one.

#include <string>

struct Options;
struct LandscapeRun;

// Loads the ground of `options` into `run`, applies the options' settings (planner, moves, panel,
// speed, vehicle) over the ground's defaults (on loaded ground 48 moves and the exact planner) and
// prices the steps, then sets
// the start and end cells: --plan's cells, the cells under --from and --to, or on loaded ground
// the default route ends (the built-in ground keeps its defaults). Returns the one-line error,
// empty on success.
std::string prepareGround(const Options& options, LandscapeRun& run);

// On loaded ground, what the console says once the ground is prepared: the grid it became and
// the start and end cells with how they were chosen and the planner; empty on the built-in ground.
std::string chosenGroundText(const Options& options, const LandscapeRun& run);
