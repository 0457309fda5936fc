#pragma once
// The plain arithmetic of loading ground: which UTM zone a place lies in, how a band's stored
// numbers become heights in metres or speeds in km/h, so the readers in io/ only read and warp.

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

// Km/h in one unit of a cover band's unit type: km/h, mph, m/s and knots by their usual
// spellings ("kph", "m s-1", "kt", ...), no unit is km/h, and any other unit is UNKNOWN_UNIT.
double kmhPerSpeedUnit(const std::string& unitType);

// How a band's stored numbers become values: GDAL's scale and offset, then `factor` units of
// the program in one of the band's (metres a height unit, km/h a speed unit).
struct BandUnits {
    double scale = 1.0;
    double offset = 0.0;
    double factor = 1.0;

    double value(double stored) const { return (stored * scale + offset) * factor; }
};

// Units of a longitude in one whole turn round the globe, for a system whose angular unit is
// `radiansPerUnit` radians (360 for degrees).
double longitudeTurn(double radiansPerUnit);
