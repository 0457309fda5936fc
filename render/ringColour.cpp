#include "render/ringColour.h"

#include "planner/routeTables.h"
#include "terrain/sceneScale.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

namespace {
constexpr float FULL_LEVEL = 255.0f; // grey levels are fractions of this
} // namespace

Float3 ringGrey(float cost, float rings, float increment) {
    for (int ring = 0; ring < rings; ++ring) {
        const float level = (FULL_LEVEL - ring * (FULL_LEVEL / rings)) / FULL_LEVEL;
        if (cost < (ring + 1) * increment) {
            return {level, level, level};
        }
    }
    return BEYOND_RINGS_COLOUR;
}

Float3 ringColour(const Float3& scenePosition) {
    const int x = sceneToGridIndex(scenePosition[0]);
    const int y = sceneToGridIndex(scenePosition[1]);
    if (!isInsideGrid(x, y)) {
        return BEYOND_RINGS_COLOUR;
    }
    if (distanceTable[x][y] == UNREACHED_COST) {
        return UNREACHED_COLOUR;
    }
    switch (settings.viewMode) {
    case Distance:
        return ringGrey(distanceTable[x][y], settings.distanceRings, settings.distanceIncrement);
    case Energy:
        return ringGrey(energyTable[x][y], settings.energyRings, settings.energyIncrement);
    }
    return BEYOND_RINGS_COLOUR;
}
