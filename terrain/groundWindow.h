#pragma once
// Where the model grid is cut out of an elevation raster and how the raster's numbers become
// whole-metre heights: plain arithmetic, so groundRaster only reads and warps.

#include "terrain/terrainGrid.h"

#include <string>

// The grid cell that lies on the chosen centre point, along both indices.
constexpr int CENTRE_CELL = GRID_SIZE / 2;

// The grid as north-up pixels GRID_SPACING wide, in working metres: cell (i, j) is the centre
// of the pixel in column i and row GRID_SIZE - 1 - j.
struct GroundWindow {
    double originX; // centre of cell (0, 0)
    double originY;
    double minX; // outer pixel edges
    double minY;
    double maxX;
    double maxY;
};

// The window whose cell (CENTRE_CELL, CENTRE_CELL) is centred on (centreX, centreY), metres.
GroundWindow windowAround(double centreX, double centreY);

// EPSG code of the WGS 84 UTM zone holding (longitude, latitude), degrees: 326zz on or north
// of the equator, 327zz south of it.
int utmZoneEpsg(double longitude, double latitude);

// Metres in one unit of a band's unit type: feet and US survey feet are converted, anything
// else (empty, "m", "metre") is taken as metres.
double metresPerHeightUnit(const std::string& unitType);

// A sampled height in metres rounded to the nearest whole metre, halves away from zero; NaN
// (no ground) stays NaN, always the positive quiet NaN so it is written as "nan".
float wholeMetres(double metres);
