#pragma once
// The plan in the route tables as files GIS tools open: the two cost rasters and the routes.

#include <string>
#include <vector>

constexpr int MAP_FILE_COUNT = 3;

// Writes distance.tif, energy.tif and routes.geojson into `folder` for the settings' plan,
// each whole or not at all; each one not written is reported on stderr as "Error: could not
// write NAME". Returns the names of the files written, in that order.
std::vector<std::string> writeMapFiles(const std::string& folder);
