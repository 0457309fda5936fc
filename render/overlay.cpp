#include "render/overlay.h"

#include "render/overlayQuad.h"
#include "render/routeSummary.h"
#include "terrain/settings.h"

namespace {
// The end cell's cost, or UNREACHED_COST for an end cell outside the grid.
float endCost(const CostTable& costs) {
    if (!isInsideGrid(settings.endX, settings.endY)) {
        return UNREACHED_COST;
    }
    return costs[settings.endX][settings.endY];
}

std::vector<Cell> cellsToEnd(const PreviousTable& previous) {
    return routeCells(previous, settings.startX, settings.startY, settings.endX, settings.endY);
}
} // namespace

Overlay distanceRouteOverlay() {
    const float metres = endCost(distanceTable);
    if (metres == UNREACHED_COST) {
        return {{}, distanceRouteColour, UNREACHABLE_DISTANCE_TEXT};
    }
    return {cellsToEnd(previousDistanceVertices), distanceRouteColour,
            distanceSummary(metres, settings.speedMph)};
}

Overlay energyRouteOverlay() {
    const float joules = endCost(energyTable);
    if (joules == UNREACHED_COST) {
        return {{}, energyRouteColour, UNREACHABLE_ENERGY_TEXT};
    }
    return {cellsToEnd(previousEnergyVertices), energyRouteColour, energySummary(joules)};
}

Overlay straightLineOverlay() {
    const Settings& s = settings;
    return {straightLineCells(s.startX, s.startY, s.endX, s.endY), straightLineColour,
            straightLineSummary(straightLineMetres(s.startX, s.startY, s.endX, s.endY))};
}
