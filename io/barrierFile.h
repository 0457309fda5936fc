#pragma once
// Reads the user's no-go areas through GDAL onto the grid of the ground: polygons of any vector
// format OGR reads, or a raster whose non-zero cells are barriers.

#include "terrain/gridShape.h"
#include "terrain/groundReference.h"

#include <cstdint>
#include <string>
#include <vector>

// Fills `closed` with one byte per cell of `shape` (x-major), 1 for a cell no route may enter or
// leave: its centre lies inside a polygon of `path` (brought from the file's own coordinate
// system into the ground's), or the raster of `path` holds a non-zero value at its centre
// (nearest pixel; nodata and NaN are open ground). Returns an empty text, or the one-line reason
// naming --barriers and the file: it cannot be read, it has no coordinate system while the
// ground has one, or it closes no cell of the ground. On ground without a coordinate system
// (the built-in one) the file's coordinates are taken as the ground's own metres.
std::string loadBarriers(const std::string& path, const GridShape& shape,
                         const GroundReference& ground, std::vector<uint8_t>& closed);
