#pragma once
// Everything one run of the program holds: its settings, its ground, the planning grid built
// from them, the route tables of the last plan and both planners' working cells. main owns the
// one run; the code beneath it takes the pieces it reads as arguments.

#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/route.h"
#include "planner/routePlanner.h"
#include "planner/routeTables.h"
#include "render/mesh.h"
#include "terrain/groundCover.h"
#include "terrain/groundReference.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct LandscapeRun {
    Settings settings;
    TerrainPositions terrain;
    GroundReference reference;
    std::vector<uint8_t> barriers;      // empty, or non-zero for each cell no route may use
    GroundCover cover;                  // empty, or the speed and surface of every cell
    bool timed = false;                 // plans fill the time tables too
    Kernels kernels = fastestKernels(); // the paths every grid of the run is built to take
    PlanningGrid grid;
    RouteTables tables;
    PlannerWorkspace work;                          // both planners' working cells
    MeshGeometry mesh;                              // the ground as the scene draws it
    Vec3f homeSceneOffset = Settings{}.sceneOffset; // the first frame's, which key v brings back
    int groundMoves = Settings{}.moves; // the moves plans on this ground take unless told otherwise
    bool loadedGround = false;          // --terrain named the ground
    ProgressListener progress;          // where long work of this run tells how far it has come
    // The start the tables hold a whole plan from, over the steps as now priced; none before the
    // first plan, after new steps and while a plan is unfinished.
    std::optional<Cell> plannedFrom;
    // --routes: more files the routes go to whenever the map files are written.
    std::vector<std::string> routeFiles;
};

// Makes `heights` (x-major, metres, NaN for no ground) of `shape` the run's ground: sizes the
// route tables for it, prices its steps (run.barriers, when not empty, must be of this shape)
// and leaves the tables unreached.
void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights);

// The barriers plans heed: the run's, unless the settings switch them off.
const std::vector<uint8_t>& activeBarriers(const LandscapeRun& run);

// What the steps of a plan are priced for: taken from the settings when the plan is asked for,
// so that pricing beside the window reads nothing the event thread may change meanwhile.
struct StepChoice {
    Vehicle vehicle;
    int moves;
    bool barriersOn;
    bool timed;
};
StepChoice stepChoice(const LandscapeRun& run);

// Prices the run's steps again for its settings' vehicle and barriers; call whenever either
// changes.
void priceSteps(LandscapeRun& run);
// The same for `choice`.
void priceStepsFor(LandscapeRun& run, const StepChoice& choice);

// Plans from the settings' start with the settings' planner into the run's tables.
void planRun(LandscapeRun& run);

// Plans from (startX, startY) with `planner`, telling `progress` how it goes; false when `cancel`
// stopped it, the tables then unfinished. Sets plannedFrom when the plan is whole.
bool planRunFrom(LandscapeRun& run, PlannerKind planner, Cell start,
                 const ProgressListener& progress, const CancelFlag* cancel);

// The least-distance route, then the least-energy route, then when the last plan was timed the
// fastest route, of the run's last plan between the settings' start and end.
std::vector<Route> plannedRoutes(const LandscapeRun& run);

// On loaded ground, how much of it the last plan reaches from the start, as the console says it;
// empty on the built-in ground.
std::string startReachText(const LandscapeRun& run);

// On loaded ground whose end the last plan does not reach, the console's word on why; else empty.
std::string unreachableEndText(const LandscapeRun& run);

// What the run's next frame is built from.
SceneInputs sceneInputs(const LandscapeRun& run);
