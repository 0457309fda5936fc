#pragma once
// What a frame is built from, all read only: the settings that choose and shade it, the ground
// with the mesh drawn over it, which cells plans may use, and the tables of the last plan. The
// scene's plain pieces take it whole, so none of them reaches for the run.

#include "planner/planningGrid.h"
#include "planner/route.h"
#include "planner/routeTables.h"
#include "render/view.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include <vector>

struct MeshGeometry;

struct SceneInputs {
    const PlanSettings& settings;
    ViewMode viewMode; // the measure shaded, and whose route is drawn
    const TerrainPositions& terrain;
    const MeshGeometry& mesh;
    const PlanningGrid& grid;
    const RouteTables& tables;
    bool barriers;     // the plans heed no-go areas
    bool loadedGround; // a raster of the user's: drawn as a map and explained on the console
    // The routes of a trip through the settings' via points, one a measure; empty without via
    // points (LandscapeRun::trip).
    const std::vector<Route>& trip;
    // Several starts: every start after the settings' own (null or empty for one start). The
    // markers show them all, and each route leads back to the one nearest its end.
    const std::vector<Cell>* moreStarts = nullptr;
    // The corridor's values per measure while it is shown (null otherwise), and its width: cells
    // within corridorPercent % of the best route's cost are tinted.
    const RouteTables* corridor = nullptr;
    double corridorPercent = 0.0;
};

// The ends of the route least in `measure` in the tables `in` holds: the settings' ends, with
// several starts the one its chain of predecessors leads back to in place of the first.
RouteEnds sceneRouteEnds(const SceneInputs& in, Measure measure);
