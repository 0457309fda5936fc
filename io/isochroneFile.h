#pragma once
// Reach as polygons GIS tools open: for each value, the ground a plan reached within it as one
// multipolygon, written by OGR as a GeoPackage layer or as RFC 7946 GeoJSON.

#include "planner/isochrones.h"
#include "planner/progress.h"
#include "terrain/gridShape.h"
#include "terrain/groundReference.h"

#include <optional>
#include <string>

enum class IsochroneFormat { GeoPackage, GeoJson };

// The format a value of --isochrones-format names ("gpkg", "geojson"), or nothing.
std::optional<IsochroneFormat> isochroneFormatNamed(const std::string& name);

// The names --isochrones-format takes, as a message lists them.
constexpr char ISOCHRONE_FORMAT_NAMES[] = "gpkg or geojson";

// The file the areas are written to: isochrones.gpkg or isochrones.geojson.
const char* isochroneFileName(IsochroneFormat format);

// What the areas are drawn from: the values and the cost table of their measure (x-major over
// `shape`, as the route tables hold it) on `ground`.
struct IsochroneFacts {
    const Isochrones& isochrones;
    const float* costs;
    GridShape shape;
    const GroundReference& ground;
};

// Writes isochroneFileName(format) in the folder open as `folder`, whole or not at all: a layer
// `reach` of one MultiPolygon a value, in the order of the values, holding the cells within it
// (withinReach): each cell the square of the grid's spacing about its centre, so an area's edge
// runs midway between the centres of a cell within and one without. Its fields are measure
// ("distance", "energy", "time"), value and unit (as the values were given) and area_km2 (the
// cells within, times a cell's area). A GeoPackage is in the ground's coordinate system; GeoJSON
// in longitude/latitude (local metres on ground without a system). A big grid's areas tell
// `progress` how far they have come. Returns why the file was not written, empty when it was.
std::string writeIsochroneFile(int folder, IsochroneFormat format, const IsochroneFacts& facts,
                               const ProgressListener& progress = {});
