// The panel's place report for a cell, from the run's ground reference; the transformation to
// longitude/latitude is built once for a coordinate system and kept, as the hover asks every frame.

#include "app/cellPlace.h"

#include "app/currentRun.h"
#include "io/lonLat.h"
#include "planner/groundPosition.h"
#include "render/overlays.h"

#include <memory>
#include <vector>

namespace {
// Building a transformation costs far more than using it, and the hover asks every frame.
const LonLatTransform& transformFor(const std::string& crsWkt) {
    static std::string cachedWkt;
    static std::unique_ptr<LonLatTransform> cached;
    if (!cached || cachedWkt != crsWkt) {
        cached = std::make_unique<LonLatTransform>(crsWkt);
        cachedWkt = crsWkt;
    }
    return *cached;
}
} // namespace

std::string cellPlaceReport(int x, int y) {
    const GroundPoint p = cellCentre(groundReference, terrainVertices.shape().spacing, x, y);
    const std::string map = formatText("map x %.1f m, y %.1f m", p.x, p.y);
    if (groundReference.crsWkt.empty()) {
        return map;
    }
    std::vector<double> xs{p.x};
    std::vector<double> ys{p.y};
    if (!transformFor(groundReference.crsWkt).apply(xs, ys)) {
        return map + "\nno longitude/latitude";
    }
    return map + formatText("\nlon %.6f, lat %.6f", xs[0], ys[0]);
}
