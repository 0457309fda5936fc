// Bringing the given points into the ground's own system: each source of points names the system
// it is in (--crs's, the file's, or none), and all of one source are transformed at once.

#include "app/givenPoints.h"

#include "io/lonLat.h"
#include "io/pointFile.h"
#include "io/printableText.h"

#include <cstdio>
#include <utility>

namespace {

std::string pointText(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g,%.10g", x, y);
    return text;
}

// The system the ground's own coordinates are in: the raster's, which may differ from the
// working one it is planned in; empty on ground without one.
std::string ownSystem(const GroundReference& reference) {
    return reference.sourceCrsWkt.empty() ? reference.crsWkt : reference.sourceCrsWkt;
}

// Brings the points from `system` into the ground's own; none to do for an empty system. False
// when one of them cannot be transformed.
bool toOwnSystem(const std::string& system, const GroundReference& reference,
                 std::vector<double>& xs, std::vector<double>& ys) {
    return system.empty() || CoordinateTransform(system, ownSystem(reference)).apply(xs, ys);
}

// The first point of `xs`, `ys` that cannot be transformed alone, for the refusal to name.
std::size_t firstUnplaced(const std::string& system, const GroundReference& reference,
                          const std::vector<double>& xs, const std::vector<double>& ys) {
    for (std::size_t k = 0; k < xs.size(); ++k) {
        std::vector<double> x{xs[k]};
        std::vector<double> y{ys[k]};
        if (!toOwnSystem(system, reference, x, y)) {
            return k;
        }
    }
    return 0;
}

std::string filePoints(const Options& options, const GroundReference& reference,
                       std::vector<GivenPoint>& points) {
    FilePoints read;
    const std::string error = readPointFile(options.pointsFile, read);
    if (!error.empty()) {
        return error;
    }
    const std::string file =
        std::string(POINTS_OPTION) + ": '" + printable(options.pointsFile) + "'";
    if (read.system == LON_LAT_SYSTEM && ownSystem(reference).empty()) {
        return file + " holds longitude/latitude, but the ground has no coordinate system";
    }
    // On ground without a system a file's coordinates are the ground's own, as a barrier
    // file's are; points without a system of their own are in the one --from is given in.
    const std::string system = ownSystem(reference).empty() ? ""
                               : read.system.empty()        ? options.crs
                                                            : read.system;
    std::vector<double> xs = read.xs;
    std::vector<double> ys = read.ys;
    if (!toOwnSystem(system, reference, xs, ys)) {
        const std::size_t k = firstUnplaced(system, reference, read.xs, read.ys);
        return file + " " + read.names[k] + " (" + pointText(read.xs[k], read.ys[k]) +
               ") cannot be placed on the ground";
    }
    for (std::size_t k = 0; k < xs.size(); ++k) {
        points.push_back(
            {{xs[k], ys[k]},
             file + " " + read.names[k] + " (" + pointText(read.xs[k], read.ys[k]) + ")"});
    }
    return {};
}

} // namespace

std::string givenPoints(const Options& options, const GroundReference& reference,
                        std::vector<GivenPoint>& points) {
    points.clear();
    if (!options.crs.empty() && ownSystem(reference).empty()) {
        return CRS_WITHOUT_GROUND_SYSTEM;
    }
    if (!options.pointsFile.empty()) {
        return filePoints(options, reference, points);
    }
    if (!options.from || !options.to) {
        return {};
    }
    const std::pair<const char*, std::vector<MapPoint>> named[] = {
        {"--from", {*options.from}}, {"--via", options.via}, {"--to", {*options.to}}};
    for (const auto& [name, list] : named) {
        const std::string error = givenList(name, list, options.crs, reference, points);
        if (!error.empty()) {
            return error;
        }
    }
    return {};
}

std::string givenList(const char* name, const std::vector<MapPoint>& given, const std::string& crs,
                      const GroundReference& reference, std::vector<GivenPoint>& points) {
    for (const MapPoint& p : given) {
        std::vector<double> xs{p.x};
        std::vector<double> ys{p.y};
        const std::string where = std::string(name) + ": " + pointText(p.x, p.y);
        if (!toOwnSystem(crs, reference, xs, ys)) {
            return where + " cannot be placed on the ground";
        }
        points.push_back({{xs[0], ys[0]}, where});
    }
    return {};
}
