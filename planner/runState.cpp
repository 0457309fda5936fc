#include "planner/runState.h"

#include <utility>

LandscapeRun landscapeRun;

Settings& settings = landscapeRun.settings;
TerrainPositions& terrainVertices = landscapeRun.terrain;
GroundReference& groundReference = landscapeRun.reference;
PlanningGrid& planningGrid = landscapeRun.grid;
CostTable& distanceTable = landscapeRun.tables.distance;
CostTable& energyTable = landscapeRun.tables.energy;
PreviousTable& previousDistanceVertices = landscapeRun.tables.previousDistance;
PreviousTable& previousEnergyVertices = landscapeRun.tables.previousEnergy;

Vehicle settingsVehicle(const Settings& s) {
    return {s.gradeUpPercent, s.gradeDownPercent, s.vehicleMass, s.descent, s.rolling};
}

void setVehicle(Settings& s, const Vehicle& v) {
    s.gradeUpPercent = v.gradeUpPercent;
    s.gradeDownPercent = v.gradeDownPercent;
    s.vehicleMass = v.mass;
    s.descent = v.descent;
    s.rolling = v.rolling;
}

const std::vector<uint8_t>& activeBarriers(const LandscapeRun& run) {
    static const std::vector<uint8_t> none;
    return run.settings.barriersOn ? run.barriers : none;
}

void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights) {
    run.terrain.assign(shape, std::move(heights));
    run.tables.resize(shape);
    buildPlanningGrid(run.terrain, settingsVehicle(run.settings), activeBarriers(run), run.grid);
}
