#pragma once
// The ground a run plans and draws on, and the vehicle and cells it plans with: the built-in
// heights, or the raster --terrain names. Prepared before any window exists, so bad input ends
// the program without one; only the pricing of a loaded ground's moves, which takes seconds on a
// big one, may wait until the window shows the ground.

#include "app/landscapeRun.h"

#include <optional>
#include <string>

struct Options;

// Why a ground was refused when it, its tables or its first plan did not fit in memory.
constexpr const char* NO_GROUND_MEMORY = "not enough memory to plan on this ground";

// Loads the ground of `options` into `run`, applies the options' settings (planner, moves, panel,
// speed, vehicle) over the ground's defaults (on loaded ground 48 moves and the exact planner) and
// prices the steps, then sets
// the start and end cells: --plan's cells, the cells under --from and --to (or the first and
// last points of --points), or on loaded ground the default route ends (the built-in ground
// keeps its defaults). Points given in --crs's system or by a file are brought into the
// ground's own coordinates once, here: `options` then holds them as from, via and to. Returns
// the one-line error, empty on success.
// With `pricesLater` the steps are left unpriced (only the open cells are marked, enough to
// check the given points) and the default ends unchosen: priceGround does both later, beside the
// window, so that a big ground shows at once.
std::string prepareGround(Options& options, LandscapeRun& run, bool pricesLater);

// After prepareGround: the start and end are the default route ends, found on the priced moves.
bool takesDefaultEnds(const Options& options);

// What pricing the ground beside the window gives: the default ends when they were asked for
// (none when the ground has no cell a route can start on), or the error that stopped it.
struct GroundPricing {
    std::optional<RouteEnds> ends;
    std::string error;
};

// Sizes the run's tables, prices its steps for `steps` and, when `defaultEnds`, finds the
// default route ends: the part of preparing the ground that prepareGround left. Writes the run's
// tables and planning grid alone, so it may run beside a window that reads the settings meanwhile.
// A raised `cancel` stops it early, with nothing to take up.
GroundPricing priceGround(LandscapeRun& run, const StepChoice& steps, bool defaultEnds,
                          const CancelFlag* cancel);

// Takes what priceGround gave into the run's settings; returns the one-line refusal (no cell to
// start on, no memory), empty on success.
std::string takePricedGround(const Options& options, LandscapeRun& run,
                             const GroundPricing& priced);

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
