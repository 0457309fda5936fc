#pragma once
// A grid of values (a cost table, or the heights) as a GeoTIFF map that GIS tools open.

#include "planner/progress.h"
#include "planner/routeTables.h"
#include "terrain/groundReference.h"

#include <cstdint>
#include <string>
#include <vector>

// Nodata value of the rasters: the unreached cost exactly as its 32-bit float stores it
// (1e35 rounded to float, 1.00000004e+35), so a pixel compares equal to it.
constexpr double COST_RASTER_NODATA = UNREACHED_COST;

// Writes `values` (one per cell of `shape`, x-major) as a single-band Float32 GeoTIFF, north up:
// pixel column i and row rows - 1 - j hold cell (i, j); pixels are the grid's spacing square,
// centred on the cells where `ground` puts them, in its coordinate system when it has one.
// COST_RASTER_NODATA is nodata, and a NaN value (a cell without ground) is written as it. The file
// `name` in the folder open as `folder` is written whole or not at all; returns why it was not
// written, empty when it was. A big grid's writing tells `progress` how far it has come.
std::string writeGridRaster(int folder, const std::string& name, const float* values,
                            const GridShape& shape, const GroundReference& ground,
                            const ProgressListener& progress = {});

// The same with one Float32 band for each of `bands`, in order.
std::string writeGridBands(int folder, const std::string& name,
                           const std::vector<const float*>& bands, const GridShape& shape,
                           const GroundReference& ground, const ProgressListener& progress = {});

// The same with one Int32 band for each of `bands`, `nodata` their nodata value.
std::string writeWholeGridBands(int folder, const std::string& name,
                                const std::vector<const int32_t*>& bands, int32_t nodata,
                                const GridShape& shape, const GroundReference& ground,
                                const ProgressListener& progress = {});
