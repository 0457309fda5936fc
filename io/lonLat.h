#pragma once
// Points from one coordinate system into another through OGR: the loaded ground's working
// coordinates to longitude/latitude on WGS 84 and back, and the systems the user names.

#include <memory>
#include <string>
#include <vector>

// Longitude/latitude on WGS 84, as OGR reads it.
constexpr const char* LON_LAT_SYSTEM = "EPSG:4326";

// Why --crs cannot be taken on ground without a coordinate system (the built-in ground, or a
// raster without one).
constexpr const char* CRS_WITHOUT_GROUND_SYSTEM =
    "--crs: the ground has no coordinate system; give points in its own coordinates";

class CoordinateTransform {
  public:
    // From the system `from` to the system `to`, each WKT or anything OGR reads as user input.
    CoordinateTransform(const std::string& from, const std::string& to);

    // Transforms the points in place, x (easting or longitude) first whatever the systems' axis
    // order; false when a system is unusable or a point cannot be transformed to finite values.
    bool apply(std::vector<double>& xs, std::vector<double>& ys) const;

  private:
    struct Deleter {
        void operator()(void* transformation) const;
    };
    std::unique_ptr<void, Deleter> transformation_;
};

// Working coordinates of the ground in the system `crsWkt` to longitude/latitude.
class LonLatTransform : public CoordinateTransform {
  public:
    explicit LonLatTransform(const std::string& crsWkt)
        : CoordinateTransform(crsWkt, LON_LAT_SYSTEM) {}
};

// True when OGR reads `text` as a coordinate system (an EPSG code, a PROJ string, WKT, ...),
// without reaching the network for it.
bool isCoordinateSystem(const std::string& text);

// True when the system `text` gives longitude and latitude rather than metres or feet.
bool isLonLatSystem(const std::string& text);
