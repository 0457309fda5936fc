#pragma once
// Everything one run of the program holds: its settings, its ground, the planning grid built
// from them, the route tables of the last plan and the frame state. The program makes one at
// start; the process-wide names (settings, terrainVertices, distanceTable, ...) refer into it.

#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/routePlanner.h"
#include "planner/routeTables.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstdint>
#include <vector>

struct LandscapeRun {
    Settings settings;
    TerrainPositions terrain;
    GroundReference reference;
    std::vector<uint8_t> barriers; // empty, or non-zero for each cell no route may use
    PlanningGrid grid;
    RouteTables tables;
    PlannerWorkspace work;                          // both planners' working cells
    Vec3f homeSceneOffset = Settings{}.sceneOffset; // the first frame's, which key v brings back
    ProgressListener progress; // where long work of this run tells how far it has come
};

extern LandscapeRun landscapeRun;

// Makes `heights` (x-major, metres, NaN for no ground) of `shape` the run's ground: sizes the
// route tables for it, prices its steps (run.barriers, when not empty, must be of this shape)
// and leaves the tables unreached.
void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights);

// The barriers plans heed: the run's, unless the settings switch them off.
const std::vector<uint8_t>& activeBarriers(const LandscapeRun& run);

// The vehicle the settings describe.
Vehicle settingsVehicle(const Settings& s);

// Makes `v` the vehicle of the settings.
void setVehicle(Settings& s, const Vehicle& v);
