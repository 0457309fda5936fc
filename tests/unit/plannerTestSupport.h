#pragma once
// Shared set-up for the planner tests: the route tables are process-wide, so every test plans on
// the ground it needs and puts the settings back afterwards.

#include "planner/planningGrid.h"
#include "planner/routePlanner.h"
#include "planner/routeSweep.h"
#include "planner/routeTables.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstring>

// Restores the process-wide settings when it goes out of scope.
class SettingsGuard {
  public:
    SettingsGuard() : saved_(settings) {}
    ~SettingsGuard() { settings = saved_; }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;

  private:
    Settings saved_;
};

// A copy of all four route tables; too large for the stack, so tests keep them static.
struct RouteSnapshot {
    CostTable distance;
    CostTable energy;
    PreviousTable previousDistance;
    PreviousTable previousEnergy;

    void capture() {
        std::memcpy(distance, distanceTable, sizeof distance);
        std::memcpy(energy, energyTable, sizeof energy);
        std::memcpy(previousDistance, previousDistanceVertices, sizeof previousDistance);
        std::memcpy(previousEnergy, previousEnergyVertices, sizeof previousEnergy);
    }
};

// A scratch height grid for hand-made ground; one per process, refilled by each test.
inline HeightGrid& scratchHeights() {
    static HeightGrid heights;
    return heights;
}

inline HeightGrid& fillHeights(int value) {
    HeightGrid& heights = scratchHeights();
    for (auto& column : heights) {
        for (int32_t& h : column) {
            h = value;
        }
    }
    return heights;
}

// Loads the ground and its step data; the start is set separately.
inline void useGround(const HeightGrid& heights) {
    buildTerrainVerticesFrom(heights);
    buildStepTable();
}

inline void planFrom(int startX, int startY) {
    settings.startX = startX;
    settings.startY = startY;
    computeRoutes();
}
