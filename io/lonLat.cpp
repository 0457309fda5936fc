// Working coordinates to WGS 84 longitude/latitude through an OGR coordinate transformation,
// both systems in GIS axis order (easting or longitude first).

#include "io/lonLat.h"

#include <ogr_srs_api.h>

namespace {

constexpr int WGS84_EPSG = 4326;

struct SpatialReferenceDeleter {
    void operator()(OGRSpatialReferenceH srs) const { OSRDestroySpatialReference(srs); }
};
using SpatialReference = std::unique_ptr<void, SpatialReferenceDeleter>;

} // namespace

void LonLatTransform::Deleter::operator()(void* transformation) const {
    OCTDestroyCoordinateTransformation(static_cast<OGRCoordinateTransformationH>(transformation));
}

LonLatTransform::LonLatTransform(const std::string& crsWkt) {
    SpatialReference source(OSRNewSpatialReference(nullptr));
    SpatialReference target(OSRNewSpatialReference(nullptr));
    if (OSRSetFromUserInput(source.get(), crsWkt.c_str()) != OGRERR_NONE ||
        OSRImportFromEPSG(target.get(), WGS84_EPSG) != OGRERR_NONE) {
        return;
    }
    OSRSetAxisMappingStrategy(source.get(), OAMS_TRADITIONAL_GIS_ORDER);
    OSRSetAxisMappingStrategy(target.get(), OAMS_TRADITIONAL_GIS_ORDER);
    transformation_.reset(OCTNewCoordinateTransformation(source.get(), target.get()));
}

bool LonLatTransform::apply(std::vector<double>& xs, std::vector<double>& ys) const {
    return transformation_ != nullptr && xs.size() == ys.size() &&
           OCTTransform(transformation_.get(), static_cast<int>(xs.size()), xs.data(), ys.data(),
                        nullptr) != 0;
}
