#pragma once
// Everything one run of the program holds: its settings, its ground, the planning grid built
// from them, the route tables of the last plan and both planners' working cells. main owns the
// one run; the code beneath it takes the pieces it reads as arguments.

#include "app/settings.h"
#include "io/isochroneFile.h"
#include "planner/corridor.h"
#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/route.h"
#include "planner/routePlanner.h"
#include "planner/routeTables.h"
#include "render/mesh.h"
#include "terrain/groundCover.h"
#include "terrain/groundReference.h"
#include "terrain/terrainGrid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A leg of the last trip, between two of its cells, and its routes (one a measure).
struct KeptLeg {
    Cell from;
    Cell to;
    std::vector<Route> routes;
};

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
    // --isochrones-format: the format the window writes the areas within its rings in.
    IsochroneFormat isochroneFormat = IsochroneFormat::GeoPackage;
    // The last plan's trip through the settings' via points: its routes joined, one a measure.
    // Empty without via points, whose routes the tables hold (also to several destinations).
    std::vector<Route> trip;
    // The nearest of several starts: every start after the settings' own. With any, a plan is one
    // exact search seeded at all of them and each route leads back to the start nearest its end.
    std::vector<Cell> moreStarts;
    // The corridor of nearly-best routes: planned with every plan while on, and shown for the
    // cells within corridorPercent % of the best route's cost. `corridor` holds each cell's
    // corridor value per measure (its cost tables) after a plan that made it.
    bool corridorOn = false;
    double corridorPercent = DEFAULT_CORRIDOR_PERCENT;
    RouteTables corridor;
    bool corridorPlanned = false;
    // The start run.tables hold a whole plan from, over the steps as now priced, whatever the plan
    // was for (a trip's first leg, say); none before the first plan and after new steps.
    std::optional<Cell> tablesFrom;
    // The legs of the last trips, over the steps as now priced with keptPlanner: a leg asked for
    // again is taken from here. legTables holds the plans of the legs planned while the tables
    // keep the first leg's.
    std::vector<KeptLeg> keptLegs;
    PlannerKind keptPlanner = PlannerKind::Sweep;
    RouteTables legTables;
    // A trip's corridor is planned leg by leg: each leg's after the first planned goes here and is
    // joined into `corridor`.
    RouteTables legCorridor;
};

// Every start of the run, the settings' first.
std::vector<Cell> runStarts(const LandscapeRun& run);

// Makes `heights` (x-major, metres, NaN for no ground) of `shape` the run's ground: sizes the
// route tables for it, prices its steps (run.barriers, when not empty, must be of this shape)
// and leaves the tables unreached.
void useGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights);
// The same but for the tables and the pricing: only the open cells are marked, enough to check a
// point's cell (canStartAt); the tables' resize and priceSteps must follow before any plan.
void takeGround(LandscapeRun& run, const GridShape& shape, std::vector<float> heights);

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
// The same for `choice`; false when `cancel` stopped it, the steps then to be priced again
// before any plan.
bool priceStepsFor(LandscapeRun& run, const StepChoice& choice, const CancelFlag* cancel = nullptr);

// Plans from the settings' start with the settings' planner into the run's tables; from every
// start at once with the exact planner when there are several; and then, while the corridor is
// on and the planner is the exact one, the corridor's second search from the end. With via
// points, each leg of the trip is planned in turn (the tables are left holding the first leg's)
// and the joined routes kept in run.trip.
void planRun(LandscapeRun& run);

// One plan as asked for: with `planner` from `start` (and the run's further starts) to every
// cell, through the via points in order to `end`, and the corridor to `end` when `corridor`.
struct PlanRequest {
    PlannerKind planner = PlannerKind::Sweep;
    Cell start{};
    Cell end{};
    std::vector<Cell> via;
    bool corridor = false;
};

// The plan the run's settings ask for now.
PlanRequest planRequest(const LandscapeRun& run);

// Plans `request` into the run's tables (and trip and corridor), telling `progress` how it goes;
// false when `cancel` stopped it, the tables then unfinished. Sets plannedFrom when the plan is
// whole and serves any end: one without via points or a corridor.
bool planRunFrom(LandscapeRun& run, const PlanRequest& request, const ProgressListener& progress,
                 const CancelFlag* cancel);

// The least-distance route, then the least-energy route, then when the last plan was timed the
// fastest route, of the run's last plan between the settings' start (with several starts, the
// one nearest the end in that measure) and end (through its via points); with several
// destinations these for each of them in turn, the end first.
std::vector<Route> plannedRoutes(const LandscapeRun& run);

// The joined routes the route files hold in place of the tables' of a trip through via points;
// null without via points.
const std::vector<Route>* tripToExport(const LandscapeRun& run);

// The settings' ends, with several starts the start nearest the end in measure m of the last plan
// in place of the settings' start.
RouteEnds nearestEnds(const LandscapeRun& run, Measure m);

// On loaded ground, how much of it the last plan reaches from the start, as the console says it;
// empty on the built-in ground.
std::string startReachText(const LandscapeRun& run);

// On loaded ground whose end the last plan does not reach, the console's word on why; else empty.
std::string unreachableEndText(const LandscapeRun& run);

// What the run's next frame is built from.
SceneInputs sceneInputs(const LandscapeRun& run);
