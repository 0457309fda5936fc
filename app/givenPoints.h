#pragma once
// The points a run is asked to plan through, brought into the ground's own coordinates once at
// start: --from, --via and --to as given in --crs's system, or the points of the --points file.

#include "app/options.h"
#include "terrain/groundReference.h"

#include <string>
#include <vector>

struct GivenPoint {
    MapPoint point;    // in the ground's own coordinates
    std::string where; // how a refusal names it: "--from: 1,2" or "--points: 'f.gpx' point 2 (...)"
};

// The start, the via points in order and the end that `options` give, on ground placed by
// `reference`; none when they give no points. Returns an empty text, or the one-line reason
// naming the option or file: --crs on ground without a coordinate system, a file that cannot be
// read or holds longitude/latitude on such ground, or a point that cannot be transformed.
std::string givenPoints(const Options& options, const GroundReference& reference,
                        std::vector<GivenPoint>& points);

// Appends the points of `given`, named by option `name` and given in system `crs` (empty: the
// ground's own), to `points` in the ground's own coordinates. Returns the one-line reason when
// one cannot be transformed.
std::string givenList(const char* name, const std::vector<MapPoint>& given, const std::string& crs,
                      const GroundReference& reference, std::vector<GivenPoint>& points);
