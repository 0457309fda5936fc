#pragma once
// The program's fixed names over the one run now going on: its settings, ground and tables,
// and the calls that plan, relax one cell and export. Each is a thin door into the run that
// main owns; the code that does the work takes what it reads as arguments, so only the app
// layer reaches through these.

#include "app/landscapeRun.h"

// The run main set going.
extern LandscapeRun landscapeRun;

extern Settings& settings;
extern TerrainPositions& terrainVertices;
extern GroundReference& groundReference;
extern PlanningGrid& planningGrid;
extern CostTable& distanceTable;
extern CostTable& energyTable;
extern PreviousTable& previousDistanceVertices;
extern PreviousTable& previousEnergyVertices;

// Fills distanceTable, energyTable and both predecessor tables for settings.startX/startY with
// settings.planner over planningGrid (buildStepTable must be current), telling the run's
// progress listener how a big grid's plan goes. Allocates nothing once the planners' working
// cells have grown.
void computeRoutes();

// Offers cell (a, b)'s costs to its neighbours, as one step of the sweep does; (a, b) inside
// the grid.
void relaxNeighbours(int a, int b);

// Rebuilds planningGrid from terrainVertices and the vehicle of the settings; call whenever
// either changes.
void buildStepTable();

// Writes the run's tables and routes into the working directory (see exportRouteTablesInto);
// true when all three files were written.
bool exportRouteTables();
