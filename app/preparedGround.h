#pragma once
// The ground a run plans and draws on: the built-in heights, or the raster --terrain names.
// Loaded before any window exists, so bad input ends the program without one.

#include <string>

struct Options;

// Loads the raster of options.terrainFile (nothing to do for the built-in ground) and sets
// groundReference. Returns the one-line error, empty on success.
std::string prepareGround(const Options& options);

// Fills terrainVertices from the prepared ground.
void buildPreparedGroundVertices();
