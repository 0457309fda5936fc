// The panel's place report for a cell, from the run's ground reference; the transformation to
// longitude/latitude is built once for a coordinate system and kept, as the hover asks every
// frame. The start and end typed as longitude/latitude are placed only when Plan is pressed.

#include "app/cellPlace.h"

#include "app/currentRun.h"
#include "io/lonLat.h"
#include "planner/groundPosition.h"
#include "render/overlays.h"

#include <cstdio>
#include <memory>
#include <utility>
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

std::optional<EndsLonLat> endsLonLat(const GroundReference& reference, double spacing,
                                     const RouteEnds& cells) {
    if (reference.crsWkt.empty()) {
        return std::nullopt;
    }
    const GroundPoint start = cellCentre(reference, spacing, cells.startX, cells.startY);
    const GroundPoint end = cellCentre(reference, spacing, cells.endX, cells.endY);
    std::vector<double> xs{start.x, end.x};
    std::vector<double> ys{start.y, end.y};
    if (!transformFor(reference.crsWkt).apply(xs, ys)) {
        return std::nullopt;
    }
    return EndsLonLat{{xs[0], ys[0]}, {xs[1], ys[1]}};
}

std::string cellsAtLonLat(const GroundReference& reference, const GridShape& shape,
                          const EndsLonLat& ends, RouteEnds& cells) {
    const std::pair<const char*, LonLat> named[] = {{"start", ends.start}, {"end", ends.end}};
    const CoordinateTransform fromLonLat(LON_LAT_SYSTEM, reference.crsWkt);
    Cell placed[2] = {};
    for (int k = 0; k < 2; ++k) {
        char where[96];
        std::snprintf(where, sizeof where, "%s: lon %.6f, lat %.6f", named[k].first,
                      named[k].second.lon, named[k].second.lat);
        std::vector<double> xs{named[k].second.lon};
        std::vector<double> ys{named[k].second.lat};
        if (reference.crsWkt.empty() || !fromLonLat.apply(xs, ys)) {
            return std::string(where) + " cannot be placed on the ground";
        }
        const std::optional<Cell> cell = cellHolding(reference, shape, xs[0], ys[0]);
        if (!cell) {
            return std::string(where) + " lies off the ground";
        }
        placed[k] = *cell;
    }
    cells = RouteEnds{placed[0].x, placed[0].y, placed[1].x, placed[1].y};
    return {};
}
