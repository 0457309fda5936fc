#pragma once
// What a run plans and how its costs are shaded: the ends, the vehicle and its moves, the rings.
// Fixed defaults, set from the command-line options at the start, then changed by keyboard
// commands and the panel. The run's planner and window choices are the app's (app/settings.h).

#include "terrain/gridShape.h"
#include "terrain/vehicle.h"

#include <vector>

struct PlanSettings {
    int startX = 10;
    int startY = 360;
    int endX = 350;
    int endY = 340;
    float distanceRings = 15.0f;
    float distanceIncrement = 1000.0f; // metres per ring
    float speedMph = 55.0f;
    float energyRings = 10.0f;
    float energyIncrement = 50000.0f; // joules per ring
    float timeRings = 12.0f;
    float timeIncrement = 5.0f; // minutes per ring
    int moves = 8;   // how many headings a plan's moves take out of a cell: one of MOVE_COUNTS
    Vehicle vehicle; // what the plans are for: its grades, vehicleMass and energy counting
    bool barriersOn = true; // plans heed the no-go areas loaded, if any
    // A trip's cells between the start and the end, passed in this order; none for one leg.
    std::vector<Cell> via;
    // More ends the plan from the start is read for, after the end; none for one end.
    std::vector<Cell> destinations;
};

// The start and end cells the settings name.
inline RouteEnds routeEnds(const PlanSettings& s) {
    return {s.startX, s.startY, s.endX, s.endY};
}

// The end cell, then every further destination of the settings.
inline std::vector<Cell> destinationEnds(const PlanSettings& s) {
    std::vector<Cell> ends = {{s.endX, s.endY}};
    ends.insert(ends.end(), s.destinations.begin(), s.destinations.end());
    return ends;
}

// Makes `ends` the start and end cells of the settings.
inline void setRouteEnds(PlanSettings& s, const RouteEnds& ends) {
    s.startX = ends.startX;
    s.startY = ends.startY;
    s.endX = ends.endX;
    s.endY = ends.endY;
}
