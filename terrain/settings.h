#pragma once
// The tunable values of one run: fixed defaults, set from the command-line options at the start,
// then changed by keyboard commands and the panel.

#include "terrain/gridShape.h"
#include "terrain/vehicle.h"

#include <vector>

enum ViewMode : int { Energy = 1, Distance = 2, Time = 3 };

// Which planner fills the route tables: the one spiral sweep, or the exact least costs.
enum class PlannerKind { Sweep, Exact };

struct Vec3f {
    float x;
    float y;
    float z;
};

struct Settings {
    int windowWidth = 500; // mouse presses are classified against these, whatever the window
    int windowHeight = 500;
    ViewMode viewMode = Distance;                // any other value shades white and draws no route
    Vec3f sceneOffset = {-0.5f, 2.25f, -2.5f};   // scene units
    Vec3f sceneRotation = {180.0f, 0.0f, 20.0f}; // degrees about x, y, z
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
    PlannerKind planner = PlannerKind::Sweep;
    int moves = 8; // how many headings a plan's moves take out of a cell: one of MOVE_COUNTS
    bool panelVisible = false; // the panel of settings, totals, profile and legend; key 'h'
    Vehicle vehicle;        // what the plans are for: its grades, vehicleMass and energy counting
    bool barriersOn = true; // plans heed the no-go areas loaded, if any
    // A trip's cells between the start and the end, passed in this order; none for one leg.
    std::vector<Cell> via;
    // More ends the plan from the start is read for, after the end; none for one end.
    std::vector<Cell> destinations;
};

// The start and end cells the settings name.
inline RouteEnds routeEnds(const Settings& s) {
    return {s.startX, s.startY, s.endX, s.endY};
}

// The end cell, then every further destination of the settings.
inline std::vector<Cell> destinationEnds(const Settings& s) {
    std::vector<Cell> ends = {{s.endX, s.endY}};
    ends.insert(ends.end(), s.destinations.begin(), s.destinations.end());
    return ends;
}

// Makes `ends` the start and end cells of the settings.
inline void setRouteEnds(Settings& s, const RouteEnds& ends) {
    s.startX = ends.startX;
    s.startY = ends.startY;
    s.endX = ends.endX;
    s.endY = ends.endY;
}
