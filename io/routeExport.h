#pragma once
// Writes the last planning run to text files: distanceTable.txt (every cell's position and
// distance), previousDistanceVertices.txt and previousEnergyVertices.txt (the two routes from the
// end cell back toward the start, the start itself left out).
//
// Each file replaces the old one whole or not at all (see replaceFile), so a failed export never
// leaves a truncated file behind and nothing already lying in the folder is written through. A
// file that cannot be written is reported on stderr as "Error: could not write <name>: <why>"
// and skipped; the export goes on with the next file.

#include "planner/progress.h"
#include "planner/route.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

constexpr char DISTANCE_TABLE_FILE[] = "distanceTable.txt";
constexpr char DISTANCE_ROUTE_FILE[] = "previousDistanceVertices.txt";
constexpr char ENERGY_ROUTE_FILE[] = "previousEnergyVertices.txt";

// What the files are written from: the ground, the tables of its last plan, the start and end
// that plan was read for, and where the distance table's progress is told.
struct RouteExport {
    const TerrainPositions& terrain;
    const RouteTables& tables;
    RouteEnds ends;
    const ProgressListener& progress;
    // A trip through via points: its joined least-distance and least-energy routes, written in
    // place of the routes the tables hold, which are only its first leg's; null otherwise.
    const std::vector<Route>* trip = nullptr;
    // Several starts: each route is walked back to the start its chain leads to, not ends' start.
    bool severalStarts = false;
};

// Into the folder open as `folder` (AT_FDCWD: the working directory); true when all three files
// were written.
bool exportRouteTablesInto(int folder, const RouteExport& run);
