#pragma once
// Reads the user's elevation raster through GDAL and samples it onto the model grid.

#include "terrain/groundReference.h"
#include "terrain/terrainGrid.h"

#include <optional>
#include <string>

// Samples the raster at `path` bilinearly (GDAL's warper) at the centres of the 365 x 365
// grid cells, 30 m apart and north up, with cell (182, 182) on the centre point: (centreX,
// centreY) in the raster's own coordinates (degrees for longitude/latitude), by default the
// centre of its extent. A projected raster keeps its coordinate system in metres, a geographic
// one goes to the WGS 84 UTM zone of the centre, one without a system is taken as metres.
// Fills `heights` (whole metres, NaN without ground) and `reference`, and returns an empty
// text; on bad input returns the one-line reason, naming the file or option, and leaves
// `reference` as it was. GDAL itself prints nothing.
std::string loadGroundRaster(const std::string& path, std::optional<double> centreX,
                             std::optional<double> centreY, GroundHeights& heights,
                             GroundReference& reference);
