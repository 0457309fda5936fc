#pragma once
// Reads the user's elevation raster through GDAL as a grid of the planner's: the whole raster at
// its own resolution, or a resampled part of it.

#include "planner/progress.h"
#include "terrain/gridShape.h"
#include "terrain/groundReference.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The largest grid a run takes, cells: about 40 bytes a cell are planned in memory, so this
// stays well inside the machine's memory with the window's own needs.
constexpr std::size_t MAX_GRID_CELLS = 150'000'000;

// What to make of the raster.
struct GroundRequest {
    std::string path;
    std::optional<double> cellSize; // metres; default the raster's own pixel (its smaller side)
    std::optional<int> columns;     // a window of columns x rows cells ...
    std::optional<int> rows;
    std::optional<double> centreX; // ... centred here, in the raster's own coordinates
    std::optional<double> centreY; // (degrees for longitude/latitude); default its centre
    std::string centreSystem;      // the system the centre is given in; empty: the raster's own
};

struct LoadedGround {
    GridShape shape;
    std::vector<float> heights; // x-major, metres, NaN without ground
    GroundReference reference;
};

// Loads the raster of `request`. A projected raster keeps its system (feet become metres) and,
// with square north-up pixels and no other cell size asked for, its pixels are the cells; any
// other raster is warped by GDAL (bilinear when refining, average when coarsening) into square
// north-up cells in metres: a longitude/latitude raster in the WGS 84 UTM zone of its centre,
// with cells the size of its pixel's smaller side there. Heights are the band's values in metres
// (scale, offset and feet honoured) as floats; nodata, non-finite values and cells off the
// raster are NaN. Cell (i, j) is centred at reference.origin + spacing * (i, j); with a window,
// cell (columns / 2, rows / 2) lies on the centre. A request with a centreSystem needs a raster
// with a coordinate system (CRS_WITHOUT_GROUND_SYSTEM otherwise). Returns an empty text, or the
// one-line reason naming the file or option; a grid over MAX_GRID_CELLS is refused before it is
// allocated. A big grid's warp and read tell `progress` how far they have come.
std::string loadGroundRaster(const GroundRequest& request, LoadedGround& ground,
                             const ProgressListener& progress = {});

// The working coordinates of the point (x, y) given in the raster's own system. False when it
// cannot be transformed.
bool toWorkingPoint(const GroundReference& reference, double& x, double& y);

// The same for many points at once, in place; false when one cannot be transformed.
bool toWorkingPoints(const GroundReference& reference, std::vector<double>& xs,
                     std::vector<double>& ys);
