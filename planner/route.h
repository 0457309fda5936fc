#pragma once
// A route of the last plan read back from its tables: its cells from the start to the end, with
// its length and energy. The window's profile, the console and the batch plan's files all read
// their totals from here, so they agree to the bit.

#include "planner/routeTables.h"
#include "planner/steps.h"
#include "terrain/terrainGrid.h"

#include <vector>

// "distance", "energy" or "time": the measure as files and messages name it.
inline const char* measureName(Measure measure) {
    return measure == Measure::Distance ? "distance"
           : measure == Measure::Energy ? "energy"
                                        : "time";
}

// One leg of a trip through via points: where it starts and ends, and the totals of its part
// of the route.
struct RouteLeg {
    Cell from{};
    Cell to{};
    bool reachable = false;
    float lengthMetres = 0.0f;
    float energyJoules = 0.0f;
    float timeSeconds = 0.0f;
};

struct Route {
    Measure measure = Measure::Distance; // what the route is least in
    bool reachable = false;              // the end was reached; false: no cells and no totals
    std::vector<Cell> cells;             // start first, end last
    std::vector<float> along;            // metres over the ground from the start to each cell
    float lengthMetres = 0.0f;
    float energyJoules = 0.0f;
    float timeSeconds = 0.0f;
    // The steepest side slope and grade along it, percent (planner/sideSlope.h's routeLean),
    // where the run worked them out; 0 otherwise.
    double sideSlopeMaxPercent = 0.0;
    double gradeMaxPercent = 0.0;
    // The cost in the route's own measure from the start to each cell, as its tables hold it.
    std::vector<float> costs;
    // A trip through via points: its legs in order, whose totals add up to the route's; empty
    // for a route of one leg.
    std::vector<RouteLeg> legs;
    // Of a plan read for several destinations: which one (from 1) the route ends at, and its
    // cell; 0 for a plan with one end.
    int destination = 0;
    Cell end{};
};

// The route's total in its own measure: what its end cell costs in the tables it was read from.
inline float& ownTotal(Route& route) {
    return route.measure == Measure::Distance ? route.lengthMetres
           : route.measure == Measure::Energy ? route.energyJoules
                                              : route.timeSeconds;
}
inline float ownTotal(const Route& route) {
    return ownTotal(const_cast<Route&>(route));
}

// The route least in `measure` from ends' start to its end over `terrain`. Its own measure's
// total is the end cell's cost, as the window reports it; the others are summed move by move
// along the route from the start (length and energy in float, time in double and then rounded),
// each move priced by `prices` as the planners price it.
// `along` sums the lengths likewise. No cells when the chain of predecessors does not lead back
// to the start.
Route readRoute(const TerrainPositions& terrain, const StepPrices& prices,
                const RouteTables& tables, Measure measure, const RouteEnds& ends);
