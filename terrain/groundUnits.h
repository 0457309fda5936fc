#pragma once
// The plain arithmetic of loading ground: which UTM zone a place lies in and how a band's
// height unit becomes metres, so groundRaster only reads and warps.

#include <string>

// EPSG code of the WGS 84 UTM zone holding (longitude, latitude), degrees: 326zz on or north
// of the equator, 327zz south of it.
int utmZoneEpsg(double longitude, double latitude);

// What metresPerHeightUnit gives for a unit it does not know.
constexpr double UNKNOWN_UNIT = 0.0;

// Metres in one unit of a band's unit type: feet, US survey feet and the metric units (km, cm,
// mm, by symbol or name) are converted, no unit is metres, and any other unit is UNKNOWN_UNIT:
// a height taken in the wrong unit would make every slope and energy wrong.
double metresPerHeightUnit(const std::string& unitType);

// Units of a longitude in one whole turn round the globe, for a system whose angular unit is
// `radiansPerUnit` radians (360 for degrees).
double longitudeTurn(double radiansPerUnit);
