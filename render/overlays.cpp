#include "render/overlays.h"

#include "planner/routeWalk.h"
#include "terrain/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                             int endY) {
    std::vector<Cell> cells;
    walkRoute(previous, startX, startY, endX, endY, [&cells](int x, int y) {
        if (isDrawnCell(x, y)) {
            cells.push_back({x, y});
        }
    });
    return cells;
}

namespace {
std::vector<Cell> columnCells(int x, int fromY, int toY) {
    std::vector<Cell> cells;
    const int low = std::max(std::min(fromY, toY), 0);
    const int high = std::min(std::max(fromY, toY), terrainVertices.shape().rows - 2);
    for (int y = low; y <= high; ++y) {
        if (isDrawnCell(x, y)) {
            cells.push_back({x, y});
        }
    }
    return cells;
}
} // namespace

std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY) {
    if (startX > endX) {
        return straightLineCells(endX, endY, startX, startY);
    }
    if (startX == endX) {
        return columnCells(startX, startY, endY);
    }
    const float slope = static_cast<float>(static_cast<double>(endY - startY) / (endX - startX));
    std::vector<Cell> cells;
    // Columns outside the grid have no quadrilateral; skipping them changes nothing drawn.
    const int lastX = terrainVertices.shape().columns - 2;
    for (int x = std::max(startX, 0); x <= std::min(endX, lastX); ++x) {
        const int y = static_cast<int>(startY + (x - startX) * slope);
        if (isDrawnCell(x, y)) {
            cells.push_back({x, y});
        }
    }
    return cells;
}

namespace {
Float3 offsetCorner(int x, int y, float dx, float dy) {
    const Float3 p = scenePosition(x, y);
    return {p[0] + dx, p[1] + dy, p[2] + OVERLAY_LIFT};
}
} // namespace

Quad overlayQuad(int x, int y) {
    Quad q;
    q.tLeft = offsetCorner(x, y, OVERLAY_INSET, OVERLAY_INSET);
    q.tRight = offsetCorner(x, y + 1, OVERLAY_INSET, -OVERLAY_INSET);
    q.bRight = offsetCorner(x + 1, y + 1, -OVERLAY_INSET, -OVERLAY_INSET);
    q.bLeft = offsetCorner(x + 1, y, -OVERLAY_INSET, OVERLAY_INSET);
    q.normal = faceNormal(q.tLeft, q.tRight, q.bLeft);
    return q;
}

namespace {
constexpr double FUEL_BASE = 0.075283;      // gallons per mile
constexpr double FUEL_LINEAR = 0.0015892;   // gallons per mile per mph
constexpr double FUEL_SQUARE = 0.000015066; // gallons per mile per mph squared
} // namespace

float distanceInMiles(float metres) {
    return static_cast<float>(metres / METRES_PER_MILE);
}

float fuelPerMile(float speedMph) {
    const double v = speedMph;
    return static_cast<float>(FUEL_BASE - FUEL_LINEAR * v + FUEL_SQUARE * v * v);
}

float straightLineMetres(int startX, int startY, int endX, int endY, double spacing) {
    const long long dx = startX - endX;
    const long long dy = startY - endY;
    return std::sqrt(static_cast<float>(dx * dx + dy * dy)) * static_cast<float>(spacing);
}

std::string distanceSummary(float metres, float speedMph) {
    const float miles = distanceInMiles(metres);
    const float gallons = miles * fuelPerMile(speedMph);
    return formatText(
        "\nDISTANCE DATA\nTotal Distance Path:\t%f miles\nTotal Fuel Consumption:\t%f "
        "gallons\n",
        static_cast<double>(miles), static_cast<double>(gallons));
}

std::string energySummary(float joules) {
    return formatText("\nENERGY DATA\nTotal Energy Path:\t%f joules\n",
                      static_cast<double>(joules));
}

std::string straightLineSummary(float metres) {
    return formatText("Total Direct Path:\t%f meters\n", static_cast<double>(metres));
}

namespace {
std::vector<Cell> cellsToEnd(const PreviousTable& previous) {
    return routeCells(previous, settings.startX, settings.startY, settings.endX, settings.endY);
}
} // namespace

Overlay distanceRouteOverlay() {
    if (!distanceTable.reaches(settings.endX, settings.endY)) {
        return {{}, distanceRouteColour, UNREACHABLE_DISTANCE_TEXT};
    }
    return {cellsToEnd(previousDistanceVertices), distanceRouteColour,
            distanceSummary(distanceTable[settings.endX][settings.endY], settings.speedMph)};
}

Overlay energyRouteOverlay() {
    if (!energyTable.reaches(settings.endX, settings.endY)) {
        return {{}, energyRouteColour, UNREACHABLE_ENERGY_TEXT};
    }
    return {cellsToEnd(previousEnergyVertices), energyRouteColour,
            energySummary(energyTable[settings.endX][settings.endY])};
}

Overlay straightLineOverlay() {
    const Settings& s = settings;
    return {straightLineCells(s.startX, s.startY, s.endX, s.endY), straightLineColour,
            straightLineSummary(straightLineMetres(s.startX, s.startY, s.endX, s.endY,
                                                   terrainVertices.shape().spacing))};
}
