#pragma once
// Reads the points of a trip from the user's file through OGR: a GPX, a GeoJSON or GeoPackage
// layer, or a CSV table of coordinates.

#include <cstddef>
#include <string>
#include <vector>

constexpr const char* POINTS_OPTION = "--points";
// Points (and features) one file may hold: a trip of more would be planned leg by leg for hours,
// and reading stops there whatever the file claims.
constexpr std::size_t MOST_FILE_POINTS = 100'000;

// The points of a file in order, with the system they are given in.
struct FilePoints {
    std::vector<double> xs; // easting or longitude
    std::vector<double> ys; // northing or latitude
    // WKT, or anything OGR reads as user input; empty when the file names none (x,y columns, a
    // layer without one): the points are then in the system --from is given in.
    std::string system;
    // How a message names each point: "point 3", or "line 4" of a table.
    std::vector<std::string> names;
};

// Reads `path`: a GPX's route points, else its track points, else its waypoints; the first layer
// of any other vector format with features, holding points (in feature order) or one line string
// (its vertices); or a CSV whose columns lon,lat (WGS 84) or x,y hold each row's point. Reads
// plain layers only, and no more than MOST_FILE_POINTS. Returns an empty text, or the one-line
// reason naming --points and the file: it cannot be read, holds something other than points or
// one line, a number that is none, or fewer than two points.
std::string readPointFile(const std::string& path, FilePoints& points);
