#pragma once
// Laying a raster file on the ground's grid: GDAL's warper samples the file's first band at
// every cell centre of an in-memory raster of the grid, by nearest pixel, within the ground's
// read budget. The no-go areas and the ground cover are both placed so.

#include "io/groundSource.h"
#include "terrain/gridShape.h"
#include "terrain/groundReference.h"

#include <gdal.h>

#include <string>
#include <vector>

// The grid as a north-up raster in memory of one band of `type`: pixel row r holds the cells of
// grid row rows - 1 - r. Null when GDAL cannot make it.
Dataset gridRaster(const GridShape& shape, const GroundReference& ground, GDALDataType type);

// Why a file named by `option` cannot be laid on the ground, empty when it can: on ground
// without a coordinate system its coordinates are the ground's own metres, whatever system it
// names (one in degrees then lies off the ground); on ground with one, the file needs one too.
std::string systemMismatch(bool fileHasSystem, const GroundReference& ground, const char* option,
                           const std::string& path);

// Samples the first band of `file` (opened from `path`, named by `option`) at every cell centre
// of `grid`, made by gridRaster. `warpOptions` (as gdalwarp takes them) say what cells off the
// file, or on its nodata, hold ("-wo INIT_DEST=0"). Returns an empty text, or the one-line reason
// naming the option and the file: no or bad georeferencing, blocks or VRT sources it may not read,
// no coordinate system on ground with one, or more to read than the budget allows.
std::string sampleOntoGrid(GDALDatasetH file, const std::string& path, const char* option,
                           const GroundReference& ground, const GridShape& shape, GDALDatasetH grid,
                           const std::vector<std::string>& warpOptions);
