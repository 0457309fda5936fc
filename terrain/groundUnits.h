#pragma once
// The plain arithmetic of loading ground: which UTM zone a place lies in and how a band's
// height unit becomes metres, so groundRaster only reads and warps.

#include <string>

// EPSG code of the WGS 84 UTM zone holding (longitude, latitude), degrees: 326zz on or north
// of the equator, 327zz south of it.
int utmZoneEpsg(double longitude, double latitude);

// Metres in one unit of a band's unit type: feet and US survey feet are converted, anything
// else (empty, "m", "metre") is taken as metres.
double metresPerHeightUnit(const std::string& unitType);
