#pragma once
// Working coordinates of the loaded ground to longitude/latitude on WGS 84, through OGR.

#include <memory>
#include <string>
#include <vector>

class LonLatTransform {
  public:
    // From the system `crsWkt` (WKT or anything OGR reads as user input).
    explicit LonLatTransform(const std::string& crsWkt);

    // Transforms the points in place, x (longitude) first whatever the systems' axis order;
    // false when the system is unusable or a point cannot be transformed.
    bool apply(std::vector<double>& xs, std::vector<double>& ys) const;

  private:
    struct Deleter {
        void operator()(void* transformation) const;
    };
    std::unique_ptr<void, Deleter> transformation_;
};
