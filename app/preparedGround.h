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
// the start and end cells: --plan's cells, the cells under --from and --to (or the first and
// last points of --points), or on loaded ground the default route ends (the built-in ground
// keeps its defaults). Points given in --crs's system or by a file are brought into the
// ground's own coordinates once, here: `options` then holds them as from, via and to. Returns
// the one-line error, empty on success.
std::string prepareGround(Options& options, LandscapeRun& run);

// On loaded ground, what the console says once the ground is prepared: the grid it became, how
// many cells the cover leaves without a value (when any), and the start and end cells with how
// they were chosen and the planner; on the built-in ground the cover's line alone, if any.
std::string chosenGroundText(const Options& options, const LandscapeRun& run);

// True when the run's cover closes its start cell, or the cover or the vehicle's side-slope limit
// leaves it no move to take: a plan from there reaches nothing, so none is made.
bool rulesShutStart(const LandscapeRun& run);

// The one line that says so, naming --side-slope when the vehicle leans within a limit and the
// start has ground no cover closes, else --cover, and the start cell; empty when the start is
// not shut in.
std::string shutStartText(const Options& options, const LandscapeRun& run);
