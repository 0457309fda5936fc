// Transformations between coordinate systems through OGR, both systems in GIS axis order (easting
// or longitude first), as the user writes a point and the grid is laid.

#include "io/lonLat.h"

#include "io/groundSource.h"

#include <cpl_string.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>

namespace {

// A system named by the user is read from its text alone: never from a file or a server it names.
bool readSystem(const std::string& text, OGRSpatialReference& srs) {
    const QuietGdal quiet;
    const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    if (text.empty() || srs.SetFromUserInput(text.c_str(), options) != OGRERR_NONE) {
        return false;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return true;
}

} // namespace

void CoordinateTransform::Deleter::operator()(void* transformation) const {
    OGRCoordinateTransformation::DestroyCT(
        static_cast<OGRCoordinateTransformation*>(transformation));
}

CoordinateTransform::CoordinateTransform(const std::string& from, const std::string& to) {
    OGRSpatialReference source;
    OGRSpatialReference target;
    if (readSystem(from, source) && readSystem(to, target)) {
        transformation_.reset(OGRCreateCoordinateTransformation(&source, &target));
    }
}

bool CoordinateTransform::apply(std::vector<double>& xs, std::vector<double>& ys) const {
    if (transformation_ == nullptr || xs.size() != ys.size()) {
        return false;
    }
    auto* transformation = static_cast<OGRCoordinateTransformation*>(transformation_.get());
    const auto finite = [](double v) { return std::isfinite(v); };
    return transformation->Transform(static_cast<int>(xs.size()), xs.data(), ys.data()) &&
           std::all_of(xs.begin(), xs.end(), finite) && std::all_of(ys.begin(), ys.end(), finite);
}

bool isCoordinateSystem(const std::string& text) {
    OGRSpatialReference srs;
    return readSystem(text, srs) && !srs.IsEmpty();
}

bool isLonLatSystem(const std::string& text) {
    OGRSpatialReference srs;
    return readSystem(text, srs) && srs.IsGeographic();
}
