// The overlays' cells: a route walked back through its predecessor table, the straight line
// stepped column by column; each overlay carries its console report from routeSummary.

#include "render/overlays.h"

#include "planner/groundReport.h"
#include "planner/moveProfile.h"
#include "planner/nearestStart.h"
#include "planner/routeWalk.h"
#include "planner/trip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {
// From this weight on, the second grid point around a crossing is the nearer.
constexpr double NEARER_SECOND = 0.5;
} // namespace

std::vector<Cell> cellsAlongMove(const Cell& from, const Cell& to) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    std::vector<Cell> cells;
    // moveCrossings takes only the offsets of moves; a broken chain's are none.
    if (std::max(std::abs(dx), std::abs(dy)) > LONGEST_REACH ||
        std::gcd(std::abs(dx), std::abs(dy)) != 1) {
        return cells;
    }
    Cell last = from;
    for (const Crossing& c : moveCrossings(from.x, from.y, dx, dy)) {
        // Two crossings close to one grid point share it.
        const Cell nearer = c.weight < NEARER_SECOND ? c.first : c.second;
        if (!(nearer == last) && !(nearer == to)) {
            cells.push_back(nearer);
            last = nearer;
        }
    }
    return cells;
}

std::vector<Cell> routeCells(const TerrainPositions& terrain, const PreviousTable& previous,
                             const RouteEnds& ends) {
    std::vector<Cell> cells;
    const auto draw = [&](const Cell& c) {
        if (isDrawnCell(terrain, c.x, c.y)) {
            cells.push_back(c);
        }
    };
    walkRoute(previous, ends.startX, ends.startY, ends.endX, ends.endY, [&](int x, int y) {
        draw({x, y});
        const GridPoint p = previous[x][y];
        const std::vector<Cell> along = cellsAlongMove({p.x, p.y}, {x, y});
        std::for_each(along.rbegin(), along.rend(), draw); // from the end toward the start
    });
    return cells;
}

std::vector<Cell> drawnRouteCells(const TerrainPositions& terrain, const std::vector<Cell>& cells) {
    std::vector<Cell> drawn;
    const auto draw = [&](const Cell& c) {
        if (isDrawnCell(terrain, c.x, c.y)) {
            drawn.push_back(c);
        }
    };
    for (std::size_t k = cells.size(); k-- > 1;) {
        draw(cells[k]);
        const std::vector<Cell> along = cellsAlongMove(cells[k - 1], cells[k]);
        std::for_each(along.rbegin(), along.rend(), draw);
    }
    return drawn;
}

namespace {
std::vector<Cell> columnCells(const TerrainPositions& terrain, int x, int fromY, int toY) {
    std::vector<Cell> cells;
    const int low = std::max(std::min(fromY, toY), 0);
    const int high = std::min(std::max(fromY, toY), terrain.shape().rows - 2);
    for (int y = low; y <= high; ++y) {
        if (isDrawnCell(terrain, x, y)) {
            cells.push_back({x, y});
        }
    }
    return cells;
}
} // namespace

std::vector<Cell> straightLineCells(const TerrainPositions& terrain, int startX, int startY,
                                    int endX, int endY) {
    if (startX > endX) {
        return straightLineCells(terrain, endX, endY, startX, startY);
    }
    if (startX == endX) {
        return columnCells(terrain, startX, startY, endY);
    }
    const float slope = static_cast<float>(static_cast<double>(endY - startY) / (endX - startX));
    std::vector<Cell> cells;
    // Columns outside the grid have no quadrilateral; skipping them changes nothing drawn.
    const int lastX = terrain.shape().columns - 2;
    for (int x = std::max(startX, 0); x <= std::min(endX, lastX); ++x) {
        const int y = static_cast<int>(startY + (x - startX) * slope);
        if (isDrawnCell(terrain, x, y)) {
            cells.push_back({x, y});
        }
    }
    return cells;
}

namespace {
Float3 offsetCorner(const SceneInputs& in, int x, int y, float dx, float dy) {
    const Float3 p = scenePosition(in.terrain, in.mesh.scale, x, y);
    return {p[0] + dx, p[1] + dy, p[2] + towardViewer(in.mesh.viewer, OVERLAY_LIFT)};
}
} // namespace

float overlayInset(const SceneInputs& in) {
    if (!in.loadedGround) {
        return OVERLAY_INSET;
    }
    const float cell = groundToScene(in.mesh.scale, static_cast<float>(in.terrain.shape().spacing));
    return (cell - std::max(MAP_OVERLAY_CELLS * cell, MAP_OVERLAY_MIN_WIDTH)) / 2.0f;
}

Quad overlayQuad(const SceneInputs& in, int x, int y) {
    const float inset = overlayInset(in);
    Quad q;
    q.tLeft = offsetCorner(in, x, y, inset, inset);
    q.tRight = offsetCorner(in, x, y + 1, inset, -inset);
    q.bRight = offsetCorner(in, x + 1, y + 1, -inset, -inset);
    q.bLeft = offsetCorner(in, x + 1, y, -inset, inset);
    q.normal = towardViewer(in.mesh.viewer, faceNormal(q.tLeft, q.tRight, q.bLeft));
    return q;
}

RouteEnds sceneRouteEnds(const SceneInputs& in, Measure measure) {
    RouteEnds ends = routeEnds(in.settings);
    const bool several = in.moreStarts != nullptr && !in.moreStarts->empty();
    if (several && in.tables.costs(measure).reaches(ends.endX, ends.endY)) {
        const Cell start = routeStartOf(in.tables.previous(measure), ends.endX, ends.endY);
        ends.startX = start.x;
        ends.startY = start.y;
    }
    return ends;
}

namespace {
// The cells of a reached route, none of an unreached one.
std::vector<Cell> reachedRouteCells(const SceneInputs& in, Measure measure) {
    const RouteEnds ends = sceneRouteEnds(in, measure);
    if (!in.tables.costs(measure).reaches(ends.endX, ends.endY)) {
        return {};
    }
    return routeCells(in.terrain, in.tables.previous(measure), ends);
}
} // namespace

namespace {
// The overlay of `measure`'s route: of one start and one end from the tables with `report`; of
// a trip its joined route with the trip's totals and a line a leg; of several destinations every
// destination's route read from the tables, with `report` of the end and a line a destination.
Overlay measureOverlay(const SceneInputs& in, Measure measure, const Float3& colour,
                       const std::string& report) {
    const std::size_t m = static_cast<std::size_t>(measure);
    const std::vector<Route>& trip = in.trip;
    const PlanSettings& s = in.settings;
    if (!s.via.empty() && m < trip.size()) {
        return {drawnRouteCells(in.terrain, trip[m].cells), colour,
                routeReport(trip[m], s.speedMph) + legLines(trip)};
    }
    if (s.via.empty() && !s.destinations.empty()) {
        const std::vector<Cell> ends = destinationEnds(s);
        Overlay overlay{{}, colour, report + destinationLines(in.tables, ends)};
        for (const Cell& end : ends) {
            const RouteEnds leg{s.startX, s.startY, end.x, end.y};
            if (in.tables.costs(measure).reaches(end.x, end.y)) {
                const std::vector<Cell> cells =
                    routeCells(in.terrain, in.tables.previous(measure), leg);
                overlay.cells.insert(overlay.cells.end(), cells.begin(), cells.end());
            }
        }
        return overlay;
    }
    return {reachedRouteCells(in, measure), colour, report};
}
} // namespace

Overlay distanceRouteOverlay(const SceneInputs& in) {
    return measureOverlay(in, Measure::Distance, distanceRouteColour,
                          distanceReport(in.tables, routeEnds(in.settings), in.settings.speedMph));
}

Overlay energyRouteOverlay(const SceneInputs& in) {
    return measureOverlay(in, Measure::Energy, energyRouteColour,
                          energyReport(in.tables, routeEnds(in.settings)));
}

Overlay timeRouteOverlay(const SceneInputs& in) {
    return measureOverlay(in, Measure::Time, timeRouteColour,
                          timeReport(in.tables, routeEnds(in.settings)));
}

Overlay straightLineOverlay(const SceneInputs& in) {
    const PlanSettings& s = in.settings;
    if (s.via.empty()) {
        return {
            straightLineCells(in.terrain, s.startX, s.startY, s.endX, s.endY), straightLineColour,
            straightLineReport(routeEnds(s), in.terrain.shape().spacing) + unreachableEndNote(in)};
    }
    const std::vector<Cell> points = tripPoints(routeEnds(s), s.via);
    Overlay line{
        {}, straightLineColour, tripStraightLineReport(points, in.terrain.shape().spacing)};
    for (std::size_t k = 1; k < points.size(); ++k) {
        const Cell& a = points[k - 1];
        const Cell& b = points[k];
        const std::vector<Cell> cells = straightLineCells(in.terrain, a.x, a.y, b.x, b.y);
        line.cells.insert(line.cells.end(), cells.begin(), cells.end());
    }
    return line;
}

std::string unreachableEndNote(const SceneInputs& in) {
    const PlanSettings& s = in.settings;
    // A trip's leg lines name the leg no route covers.
    if (!in.loadedGround || !s.via.empty() || in.tables.distance.reaches(s.endX, s.endY)) {
        return {};
    }
    return unreachableEndLine(groundReach(in.terrain, in.tables), s.vehicle);
}
