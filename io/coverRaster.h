#pragma once
// Reads the user's ground cover through GDAL onto the grid of the ground: a raster of speeds in
// km/h, or of classes that a table names.

#include "terrain/gridShape.h"
#include "terrain/groundCover.h"
#include "terrain/groundReference.h"

#include <string>

constexpr const char* COVER_OPTION = "--cover";

// Fills `cover` for every cell of `shape`: the raster of `path` warped onto the grid by nearest
// pixel (as the no-go areas are), its values speeds in km/h (0: no-go), or with `tablePath` not
// empty classes of that table (see coverTable.h). Nodata, NaN and cells off the raster are left
// without a value. Returns an empty text, or the one-line reason naming the option, the file and
// the value, class or line: it cannot be read, it does not overlap the ground, it holds a
// negative speed, a class the table lacks or a value that is no class, or the table is
// malformed. On ground without a coordinate system the raster's coordinates are the ground's
// own metres.
std::string loadCover(const std::string& path, const std::string& tablePath, const GridShape& shape,
                      const GroundReference& ground, GroundCover& cover);
