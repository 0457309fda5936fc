// The start and end markers: each a flat square over its cell and the cells within MARKER_REACH
// (more on a thinned mesh), set MARKER_LIFT from the nearest ground under it.

#include "render/markers.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::vector<Marker> cellMarker(const SceneInputs& in, int x, int y, const Float3& colour) {
    const GridShape& shape = in.terrain.shape();
    if (!shape.contains(x, y)) {
        return {};
    }
    // On a grid drawn at every k-th point the marker grows with k, so it shows as large.
    const int reach = MARKER_REACH * in.mesh.stride;
    const int lowX = std::max(x - reach, 0);
    const int highX = std::min(x + 1 + reach, shape.columns - 1);
    const int lowY = std::max(y - reach, 0);
    const int highY = std::min(y + 1 + reach, shape.rows - 1);
    // Depth measured toward the viewer's side: z itself seen from below, -z from above.
    const float toward = towardViewer(in.mesh.viewer, 1.0f);
    float nearest = std::numeric_limits<float>::infinity();
    for (int i = lowX; i <= highX; ++i) {
        for (int j = lowY; j <= highY; ++j) {
            nearest =
                std::fmin(nearest, toward * scenePosition(in.terrain, in.mesh.scale, i,
                                                          j)[2]); // fmin skips NaN (no ground)
        }
    }
    if (std::isinf(nearest)) {
        return {};
    }
    const float z = toward * nearest + towardViewer(in.mesh.viewer, MARKER_LIFT);
    const Float3 low = scenePosition(in.terrain, in.mesh.scale, lowX, lowY);
    const Float3 high = scenePosition(in.terrain, in.mesh.scale, highX, highY);
    Quad q;
    q.tLeft = {low[0], low[1], z};
    q.tRight = {low[0], high[1], z};
    q.bRight = {high[0], high[1], z};
    q.bLeft = {high[0], low[1], z};
    q.normal = towardViewer(in.mesh.viewer, faceNormal(q.tLeft, q.tRight, q.bLeft));
    return {{{x, y}, colour, q}};
}

std::vector<Marker> startAndEndMarkers(const SceneInputs& in) {
    const PlanSettings& s = in.settings;
    std::vector<Marker> markers = cellMarker(in, s.startX, s.startY, START_MARKER_COLOUR);
    for (std::size_t k = 0; in.moreStarts != nullptr && k < in.moreStarts->size(); ++k) {
        const Cell& c = (*in.moreStarts)[k];
        const std::vector<Marker> start = cellMarker(in, c.x, c.y, START_MARKER_COLOUR);
        markers.insert(markers.end(), start.begin(), start.end());
    }
    const std::vector<Marker> end = cellMarker(in, s.endX, s.endY, END_MARKER_COLOUR);
    markers.insert(markers.end(), end.begin(), end.end());
    for (std::size_t k = 0; k < s.via.size(); ++k) {
        for (Marker marker : cellMarker(in, s.via[k].x, s.via[k].y, VIA_MARKER_COLOUR)) {
            marker.number = static_cast<int>(k) + 1;
            markers.push_back(marker);
        }
    }
    for (const Cell& destination : s.destinations) {
        const std::vector<Marker> marker =
            cellMarker(in, destination.x, destination.y, END_MARKER_COLOUR);
        markers.insert(markers.end(), marker.begin(), marker.end());
    }
    return markers;
}
