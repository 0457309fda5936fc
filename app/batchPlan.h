#pragma once
// The batch plan of --plan: one plan on the prepared ground, its files and its route reports,
// with no window.

struct LandscapeRun;
struct Options;

// Plans options.plan once on the prepared ground of `run`, without a window or display: writes
// the three route tables (unless options.noTables), distance.tif, energy.tif, time.tif,
// heights.tif and routes.geojson into options.outDir (the working directory when empty) and prints
// the route summaries as the window does, distance, energy, then the straight line. Returns the
// exit status: 0; 1 when a file could not be written (each reported on stderr); 2, with one line on
// stderr and nothing written, when the folder cannot be used.
int runBatchPlan(const Options& options, LandscapeRun& run);
